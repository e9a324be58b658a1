#!/usr/bin/env bash
# Peak memory and time of checkers on large lists, measured with /usr/bin/time: a passing pair of
# N records `a 1` as regular files and through pipes, and an output that differs at position 0
# (`a 2` first), and so is kept whole, though its verdict is one line. Memory is given in bytes a value above the same
# checker's peak on two empty files. Each checker named runs on the same files in turn, RUNS
# times, so their times compare side by side; times are medians. Not part of the product.
#   bench/lists.sh DATA_DIR N RUNS CHECKER...
set -euo pipefail
data=$1 n=$2 runs=$3
shift 3
mkdir -p "$data"
ones=$data/ones_$n.txt first_differs=$data/first_differs_$n.txt empty=$data/empty.txt
# `yes` ends on a broken pipe once `head` has its lines.
[ -f "$ones" ] || { yes 'a 1' | head -n "$n" >"$ones" || true; }
[ -f "$first_differs" ] || { echo 'a 2' && tail -n +2 "$ones"; } >"$first_differs"
: >"$empty"

# Prints "seconds peak_kib" of one run of the checker; its verdict goes to /dev/null.
measure() {  # CHECKER HOW
  local checker=$1 how=$2
  case $how in
    empty) /usr/bin/time -f '%e %M' "$checker" "$empty" "$empty" ;;
    files) /usr/bin/time -f '%e %M' "$checker" "$ones" "$ones" ;;
    pipes) /usr/bin/time -f '%e %M' "$checker" <(cat "$ones") <(cat "$ones") ;;
    differs) /usr/bin/time -f '%e %M' "$checker" "$ones" "$first_differs" ;;
  esac 2>&1 >/dev/null | tail -n 1
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "| checker | pair | n | s (median of $runs) | peak MiB | bytes a value above the empty run |"
echo "|---|---|---:|---:|---:|---:|"
for how in files pipes differs; do
  declare -A times=() peaks=()
  for ((run = 0; run < runs; run++)); do
    for checker in "$@"; do
      read -r seconds kib < <(measure "$checker" "$how")
      times[$checker]+="$seconds "
      if [ "${peaks[$checker]:-0}" -lt "$kib" ]; then peaks[$checker]=$kib; fi
    done
  done
  for checker in "$@"; do
    read -r _ empty_kib < <(measure "$checker" empty)
    seconds=$(echo "${times[$checker]}" | tr ' ' '\n' | sed '/^$/d' | median)
    awk -v c="$checker" -v h="$how" -v n="$n" -v s="$seconds" -v p="${peaks[$checker]}" \
        -v e="$empty_kib" 'BEGIN { printf "| %s | %s | %d | %.2f | %.0f | %.2f |\n", c, h, n, s, p / 1024, (p - e) * 1024 / n }'
  done
  unset times peaks
done
