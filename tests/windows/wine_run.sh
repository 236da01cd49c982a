#!/usr/bin/env bash
# CTest's runner for the Windows build's programs: each runs under Wine.
# Qt Test's log does not reach a pipe through Wine, so a Qt Test program
# writes it to a file, shown when it ends.
set -u
program=$1
shift
if ! x86_64-w64-mingw32-objdump -p "$program" | grep -q 'DLL Name: Qt6Test.dll'; then
  exec wine "$program" "$@"
fi
log=$(mktemp --suffix=.txt)
wine "$program" "$@" -o "$(winepath -w "$log"),txt"
status=$?
cat "$log"
rm -f "$log"
exit "$status"
