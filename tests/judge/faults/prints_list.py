# Sorts right, but prints the Python list itself.
import sys

values = [int(line.split()[1]) for line in open(sys.argv[1]) if line.strip()]
with open(sys.argv[2], "w") as out:
    print(sorted(values), file=out)
