# Sorts right, but leaves a debugging print among the records.
import sys

records = [line.split() for line in open(sys.argv[1]) if line.strip()]
records.sort(key=lambda record: int(record[1]))
with open(sys.argv[2], "w") as out:
    for i, (label, value) in enumerate(records):
        if i == 2:
            print("debug: halfway, i =", i, file=out)
        print(label, value, file=out)
