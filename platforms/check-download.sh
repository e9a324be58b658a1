#!/usr/bin/env bash
# Checks one unpacked download: runs every golden case on its checker and checker-judge, and its
# README's sample run from its folder, which must print what the README shows. Run from the
# repository, natively or through an emulator.
#   platforms/check-download.sh FOLDER [EMULATOR...]
# Exits with the number of failures.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
# Paths as CMake takes them, on Windows too (Git Bash's /c/... is C:/... there).
native() { if command -v cygpath >/dev/null; then cygpath -m "$1"; else echo "$1"; fi; }
top=$(native "$PWD")
folder=$(native "$(cd "$1" && pwd)")
shift
suffix=
if [ -f "$folder/checker.exe" ]; then suffix=.exe; fi
# Windows and its emulators pass the program name as they like: usage lines compare without it.
varies=OFF
if [ -n "$suffix" ]; then varies=ON; fi
emulator=$(IFS=';'; echo "$*")
work=$top/build-dist/case_runs/$(basename "$folder")
failures=0

for case_dir in tests/cases/*/; do
  name=$(basename "$case_dir")
  if ! cmake -DCHECKER="$folder/checker$suffix" -DJUDGE="$folder/checker-judge$suffix" \
       -DCASE_DIR="$top/${case_dir%/}" -DWORK_DIR="$work/$name" -DEMULATOR="$emulator" \
       -DPROGRAM_NAME_VARIES="$varies" -P tests/run_case.cmake; then
    echo "FAILED: $name with $folder"
    failures=$((failures + 1))
  fi
done

shown=$(cd "$folder" && "$@" "./checker$suffix" examples/input.txt examples/failing_output.txt |
        tr -d '\r')
if [[ -z "$shown" || "$(cat "$folder/README.md")" != *"$shown"* ]]; then
  echo "FAILED: the sample run in $folder differs from its README"
  failures=$((failures + 1))
fi
exit "$failures"
