#!/bin/sh
# One test of the Classroom workflow: runs the student's program on a private copy of the input
# file given, in a fresh folder, under a time limit, then judges what it wrote there against the
# original input with checker-judge. Exits 0 only when the output passes; says why it does not.
#   grading/run_test.sh tests/1.txt        (from the top of the repository)
set -u
program=./sort   # built by the workflow, called as: sort INPUT_FILE OUTPUT_FILE
time_limit=10    # seconds

input=$1
repository=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$input" "$work/input.txt"
started=$(date +%s)
(cd "$work" && timeout -k 5 "$time_limit" "$repository/$program" input.txt output.txt </dev/null)
ended=$?
if [ "$ended" -eq 124 ] ||
  { [ "$ended" -eq 137 ] && [ $(($(date +%s) - started)) -ge "$time_limit" ]; }; then
  echo "Your program did not finish within $time_limit seconds."
  exit 1
elif [ "$ended" -ne 0 ]; then
  echo "Your program ended with exit status $ended."
  exit 1
fi
"$repository/grading/checker-judge" plain "$input" "$work/output.txt"
case $? in
  0) exit 0 ;;
  1) exit 1 ;;
  *)
    echo "The test itself is broken: please tell the course staff."
    exit 1
    ;;
esac
