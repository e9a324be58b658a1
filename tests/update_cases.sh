#!/usr/bin/env bash
# Rewrites each golden case's expected files from the built checker and checker-judge; review
# `git diff` after.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for case_dir in tests/cases/*/; do
  cmake -DCHECKER="$PWD/$build/checker" -DJUDGE="$PWD/$build/checker-judge" \
        -DCASE_DIR="$PWD/${case_dir%/}" -DWORK_DIR="/tmp/checker-case-update" -DUPDATE=ON -P tests/run_case.cmake
done
