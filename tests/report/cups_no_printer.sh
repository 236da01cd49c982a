#!/usr/bin/env bash
# Printing when the print service or the default printer is at fault: no
# default printer, no service running (here, or at an address), a service
# that accepts the connection and never answers, a queue that refuses jobs,
# one that does not let the user print, and a paused queue. For each, the line
# printer must end with the clerk's message for that fault, within seconds;
# then the real program must show that message while its window keeps
# answering. Then the real program alone: a default that names a missing queue,
# a service that answers the default-printer request with an error, and a
# scheduler that refuses the document (413). Each row prints a table line.
# Usage: cups_no_printer.sh <tst_default_printer> <torvel-calculator>
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
trap 'echo "FAIL: $0 was sent SIGTERM" >&2; exit 143' TERM
here=$(cd "$(dirname "$0")" && pwd)
tst_default_printer=$1
calculator=$2
source "$here/calculator_session.sh"
private_cups_require Xvfb xdotool xdpyinfo /usr/bin/python3
calculator_watch_require

calculator_session_begin /tmp/torvel-noprinter.XXXXXX
private_cups_start "$work/cups"
xvfb_session_start "$work"
calculator_bus_start

# fault NAME PRINTED MESSAGE [VAR=VALUE...]: the report printed (1) or not
# (0) with MESSAGE, and in the real program Print brings up a message box,
# whose wait is shown, and leaves the window working.
fault() {
  local name=$1 printed=$2 message=$3
  shift 3
  echo "-- $name"
  env "$@" TORVEL_EXPECT_PRINTED="$printed" TORVEL_EXPECT_MESSAGE="$message" QT_QPA_PLATFORM=offscreen \
    timeout 60 "$tst_default_printer" tellsTheOutcomeInTime || row_failures=$((${row_failures:-0} + 1))

  # The real program tells the same, and its window answers meanwhile.
  local expect=$message
  ((printed)) || expect="The report could not be printed. $message"
  print_row "$name" "$@"
  expect_row "message=$expect"
}

fault "a scheduler with no destinations" 0 "No default printer is set up."

fault "no print service on this computer" 0 "The printing service is not running on this computer." \
  CUPS_SERVER="$work/cups/absent.sock"

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
fault "no print service at an address" 0 \
  "The printing service on 127.0.0.1:$port is not running or cannot be reached." CUPS_SERVER="127.0.0.1:$port"

# A server that takes every connection and never says a word, for 90 s at
# most, and no longer than this script: a failing row exits before the kill
# below, and the server must not outlive it.
/usr/bin/python3 - 90 $$ >"$work/silent.port" <<'PY' &
import os, socket, sys, time
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(16)
server.settimeout(0.2)
print(server.getsockname()[1], flush=True)
held, end = [], time.monotonic() + float(sys.argv[1])
while time.monotonic() < end and os.getppid() == int(sys.argv[2]):
    try:
        held.append(server.accept()[0])
    except socket.timeout:
        pass
PY
silent_pid=$!
for ((i = 0; i < 50; ++i)); do [[ -s $work/silent.port ]] && break; sleep 0.1; done
port=$(<"$work/silent.port")
fault "a print service that never answers" 0 \
  "The printing service on 127.0.0.1:$port did not answer within 10 seconds." CUPS_SERVER="127.0.0.1:$port"
# No job is made yet, so there is nothing to withdraw: the cancel ends the
# wait within a step, long before the printer's 1 s wait for a withdrawal
# runs out and it leaves the thread to end on its own.
echo "-- the program ends a second into the wait"
CUPS_SERVER="127.0.0.1:$port" TORVEL_END_AFTER_MS=1000 TORVEL_END_WITHIN_MS=900 QT_QPA_PLATFORM=offscreen \
  timeout 60 "$tst_default_printer" letsTheProgramEndWhilePrinting
kill "$silent_pid" 2>/dev/null || true

queue=torvelrefusing$$
private_cups_add_pdf_queue "$queue" "$work/out"
cupsreject "$queue"
fault "a default queue that refuses jobs" 0 "The printer \"$queue\" is not accepting jobs."

queue=torvelforbidden$$
private_cups_add_pdf_queue "$queue" "$work/out"
lpadmin -p "$queue" -u deny:root # the tests run as root
fault "a default queue that does not let this user print" 0 \
  "The job could not be sent to the printer \"$queue\": Not allowed to print."

queue=torvelpaused$$
private_cups_add_pdf_queue "$queue" "$work/out"
cupsdisable "$queue"
fault "a paused default queue" 1 \
  "The report waits in the queue of the printer \"$queue\", which is paused. It prints when the printer is resumed."
if compgen -G "$work/out/*.pdf" >/dev/null; then
  echo "FAIL: a queue that refused, forbade or held the job printed it" >&2
  exit 1
fi
# The two reports held by the paused queue print once it is resumed.
cupsenable "$queue"
for ((i = 0; i < 600; ++i)); do
  (($(find "$work/out" -name '*.pdf' | wc -l) >= 2)) && break
  sleep 0.1
done
if (($(find "$work/out" -name '*.pdf' | wc -l) != 2)); then
  echo "FAIL: the paused queue did not print its two held reports once resumed:" >&2
  lpstat -W all -o >&2 || true
  exit 1
fi

# A default that names a queue that is gone: the message names it and says
# where it was named, in CUPS's own words.
gone="The report could not be printed. The default printer \"Gone\" does not exist: "
print_row "PRINTER=Gone" PRINTER=Gone
expect_row "message-starts=$gone" "message-has=PRINTER"
print_row "LPDEST=Gone" LPDEST=Gone
expect_row "message-starts=$gone" "message-has=LPDEST"
mkdir -p "$HOME/.cups"
echo "Default Gone" >"$HOME/.cups/lpoptions"
print_row "Default Gone in ~/.cups/lpoptions"
expect_row "message-starts=$gone" "message-has=lpoptions"
rm "$HOME/.cups/lpoptions"

# A service that answers the default-printer request with an error has not
# said that there is no default printer; only "not found" says that.
for kind in ipp:0x0401 ipp:0x0402 ipp:0x0406 ipp:0x0500 http:401 http:403 http:500 garbage drop; do
  rm -f "$work/refusing.port"
  /usr/bin/python3 "$here/fake_print_service.py" refusing "$kind" >"$work/refusing.port" &
  refusing_pid=$!
  for ((i = 0; i < 50; ++i)); do [[ -s $work/refusing.port ]] && break; sleep 0.1; done
  print_row "default-printer request answered $kind" CUPS_SERVER="127.0.0.1:$(<"$work/refusing.port")"
  if [[ $kind == ipp:0x0406 ]]; then
    expect_row "message=The report could not be printed. No default printer is set up."
  else
    # Where the service gave no reason, libcups' last error may still say
    # "Success"; that is no reason to give.
    expect_row "message-not=The report could not be printed. No default printer is set up." \
      "message-starts=The report could not be printed. The printing service" "message-lacks=Success"
  fi
  kill "$refusing_pid"
  wait "$refusing_pid" 2>/dev/null || true
done

# A scheduler that takes no request body over 4 KB answers the document with
# 413: that is a failure, and the job it created is withdrawn.
# The queue's own PPD is larger than that, so the limit comes after it.
private_cups_stop
private_cups_start "$work/limited"
queue=torvellimited$$
private_cups_add_pdf_queue "$queue" "$work/limited-out"
private_cups_reconfigure "LimitRequestBody 4096"
row_out=$work/limited-out
print_row "a scheduler that refuses a document over 4 KB (413)"
expect_row "message-starts=The report could not be printed. The job could not be sent to the printer \"$queue\": " \
  printed=0 left=0
row_out=

print_rows_end

echo "PASS: each fault of the print service or printer got its own message within the bound, and nothing hung"
