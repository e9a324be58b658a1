#!/usr/bin/env bash
# Gradescope runs this once, as root, when it builds the autograder: it installs a C++ compiler
# if the image lacks one, and builds checker-judge from checker-judge-sources/ unless the static
# checker-judge of a Linux download was put beside this script.
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v g++ >/dev/null; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y g++
fi
if [ ! -f checker-judge ]; then
  g++ -std=c++20 -O2 -o checker-judge checker-judge-sources/*.cpp
fi
chmod +x checker-judge
