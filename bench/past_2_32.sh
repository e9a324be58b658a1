#!/usr/bin/env bash
# Positions and line numbers past 2^32, on a real run: 2^32 + 2 records `a 0` through a pipe as
# the input, against an output through a pipe that differs at index 2^32 + 1, then against one
# whose value on line 2^32 + 2 is malformed. Needs 16 GiB of memory and some minutes; prints
# each run's time and peak memory, and fails unless each verdict is the expected line. Not part
# of the product or of `make test`.
#   bench/past_2_32.sh CHECKER
set -uo pipefail
checker=$1
records=4294967298  # 2^32 + 2
same=4294967297     # records before the one that differs
failures=0

expect() {  # WHAT EXPECTED-LAST-LINE OUTPUT-COMMAND
  local what=$1 expected=$2 output=$3 last
  last=$(/usr/bin/time -f '%e s, peak %M KiB' -o /tmp/past_2_32.time \
           "$checker" <(yes 'a 0' | head -n "$records") <(bash -c "$output") | tail -n 1)
  echo "$what: $(cat /tmp/past_2_32.time)"
  echo "  $last"
  if [ "$last" != "$expected" ]; then
    echo "  FAILED: expected $expected"
    failures=$((failures + 1))
  fi
}

expect "a difference at index 2^32 + 1" "Error: Data index $same should be 0 but get 1 !" \
  "yes 'a 0' | head -n $same; echo 'a 1'"
expect "a malformed value on line 2^32 + 2" \
  "Error: Line $records of your output file should hold an integer from -2147483648 to 2147483647 but has \"x\"." \
  "yes 'a 0' | head -n $same; echo 'a x'"
exit "$failures"
