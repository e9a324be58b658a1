#!/usr/bin/env bash
# Rewrites each golden case's expected.txt from the built checker; review `git diff` after.
set -euo pipefail
cd "$(dirname "$0")/.."
checker=${1:-build/checker}
for case_dir in tests/cases/*/; do
  cmake -DCHECKER="$PWD/$checker" -DCASE_DIR="$PWD/${case_dir%/}" \
        -DWORK_DIR="/tmp/checker-case-update" -DUPDATE=ON -P tests/run_case.cmake
done
