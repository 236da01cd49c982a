#!/usr/bin/env bash
# Printing without a usable default printer: a scheduler with no destinations,
# then one whose default queue refuses jobs. Each time printing must fail with
# a reason and return; in the real program the message box must come up and
# leave a working window behind.
# Usage: cups_no_printer.sh <tst_default_printer> <torvel-calculator>
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
trap 'echo "FAIL: $0 was sent SIGTERM" >&2; exit 143' TERM
here=$(cd "$(dirname "$0")" && pwd)
tst_default_printer=$1
calculator=$2
source "$here/calculator_session.sh"
private_cups_require Xvfb xdotool xdpyinfo

calculator_session_begin /tmp/torvel-noprinter.XXXXXX

private_cups_start "$work/cups"

echo "-- a scheduler with no destinations"
timeout 60 "$tst_default_printer" schedulerWithoutDestinations

echo "-- the real program with no printer: Print shows the message and the window stays usable"
xvfb_session_start "$work"
calculator_start "$calculator"
xdotool key --window "$window" alt+p
box=$(xvfb_find_window "^Torvel Calculator$")
echo "message box $box came up"
xdotool windowfocus --sync "$box"
xdotool key Return
xvfb_wait_gone "$box"
kill -0 "$calculator_pid" || { echo "FAIL: the program ended after the failed print" >&2; exit 1; }
# A second press after the box closed gets a box again: nothing is stuck.
xdotool windowfocus --sync "$window"
xdotool key --window "$window" alt+p
box=$(xvfb_find_window "^Torvel Calculator$")
xdotool windowfocus --sync "$box"
xdotool key Return
xvfb_wait_gone "$box"
calculator_stop

echo "-- a default queue that refuses jobs"
private_cups_add_pdf_queue torvelrefusing$$ "$work/out"
cupsreject torvelrefusing$$
QT_QPA_PLATFORM=offscreen timeout 60 "$tst_default_printer" queueRefusingJobs
if compgen -G "$work/out/*.pdf" >/dev/null; then
  echo "FAIL: the refusing queue still printed" >&2
  exit 1
fi

echo "PASS: no default printer and a refusing queue both fail with a reason, and nothing hangs"
