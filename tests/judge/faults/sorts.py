# A right program.
import sys

records = [line.split() for line in open(sys.argv[1]) if line.strip()]
with open(sys.argv[2], "w") as out:
    for label, value in sorted(records, key=lambda record: int(record[1])):
        print(label, value, file=out)
