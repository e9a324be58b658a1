#!/usr/bin/env bash
# Time of checkers on the same passing pair of N records written in each common line shape, side
# by side: every shape and checker runs once per round, RUNS rounds, and each time is the median,
# and the fastest, of wall times taken to the microsecond (bash's EPOCHREALTIME). The fastest is
# the steadier on a shared machine, whose noise only ever adds time.
# The ratios are to the one-space shape on the same checker. Not part of the product.
#   bench/shapes.sh DATA_DIR N RUNS GENERATOR CHECKER...
set -euo pipefail
data=$1 n=$2 runs=$3 generator=$4
shift 4
mkdir -p "$data"
base=$data/sorted_$n
if [ ! -f "$base.in" ] || [ ! -f "$base.out" ]; then "$generator" "$n" sorted 2026 "$base.in" "$base.out"; fi

# Each shape, as a sed script applied to both files of the pair.
shapes=(
  "one space|"
  "a tab|s/ /\t/"
  "three spaces|s/ /   /"
  "label in 10 columns|s/^\([^ ]*\) /\1          /;s/^\(.\{10\}\) */\1 /"
  "trailing spaces|s/\$/  /"
  "leading spaces|s/^/  /"
  "CR LF|s/\$/\r/"
  "CR LF with a tab|s/ /\t/;s/\$/\r/"
  "blank line every 100|0~100G"
  "comment first|1i # sorted values"
  "comment every 4096|1~4096i # a comment"
)
for shape in "${shapes[@]}"; do
  name=${shape%%|*} script=${shape#*|}
  file=$data/shape_${n}_${name// /_}
  for end in in out; do
    [ -f "$file.$end" ] || sed "$script" "$base.$end" >"$file.$end"
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fastest() { sort -n | head -n 1; }

declare -A times=()
for ((run = 0; run < runs; run++)); do
  for shape in "${shapes[@]}"; do
    name=${shape%%|*}
    file=$data/shape_${n}_${name// /_}
    for checker in "$@"; do
      start=$EPOCHREALTIME
      "$checker" "$file.in" "$file.out" >/dev/null
      seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }')
      times[$checker|$name]+="$seconds "
    done
  done
done

header="| shape | n |" rule="|---|---:|"
for checker in "$@"; do
  header+=" $checker median s | / one space | fastest s | / one space |" rule+="---:|---:|---:|---:|"
done
echo "$header" && echo "$rule"
for shape in "${shapes[@]}"; do
  name=${shape%%|*}
  row="| $name | $n |"
  for checker in "$@"; do
    for statistic in median fastest; do
      seconds=$(echo "${times[$checker|$name]}" | tr ' ' '\n' | sed '/^$/d' | $statistic)
      one=$(echo "${times[$checker|one space]}" | tr ' ' '\n' | sed '/^$/d' | $statistic)
      row+=$(awk -v s="$seconds" -v o="$one" 'BEGIN { printf " %.3f | %.2fx |", s, s / o }')
    done
  done
  echo "$row"
done
