#!/bin/sh
# Runs a Windows program under wine: run-under-wine.sh PREFIX PROGRAM ARGUMENT...
# The prefix is made first, quietly, and wine's own messages are turned off, so that standard
# error holds only the program's. Wine turns arguments into UTF-16 by the locale, which must
# therefore be UTF-8 for file names in any language.
set -e
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
export LC_ALL=C.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver --wait >/dev/null 2>&1 || true
fi
exec wine "$@"
