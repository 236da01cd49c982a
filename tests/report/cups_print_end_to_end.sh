#!/usr/bin/env bash
# The real program prints through a real CUPS scheduler: a private cupsd whose
# default destination is a cups-pdf queue. The clerk types three prices,
# calculates and presses Print twice; two PDFs must arrive with the same
# report lines, and those lines must be the report of the calculation. The
# program's temporary folder has 8 KB left, which must not cut the page short,
# and libcups is loaded only when Print is pressed. Then the report must start
# at the top-left of the printable area on a queue with zero margins and on
# one with margins of its own. Last, prints that must keep the window
# answering: through a proxy that answers late or falls silent, with Escape,
# a second Print and Exit pressed meanwhile, or the clock set forward or back,
# and on a queue that asks for a password, as an ordinary user on a terminal
# of its own.
# Usage: cups_print_end_to_end.sh <torvel-calculator> <tst_default_printer> [folder to keep the PDFs in]
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
trap 'echo "FAIL: $0 was sent SIGTERM" >&2; exit 143' TERM
here=$(cd "$(dirname "$0")" && pwd)
calculator=$1
tst_default_printer=$2
keep=${3:-}
source "$here/calculator_session.sh"
private_cups_require Xvfb xdotool xdpyinfo xprop pdftotext useradd chpasswd runuser faketime
calculator_watch_require

calculator_session_begin /tmp/torvel-print.XXXXXX

queue=torvelpdf$$
pdfqueue=$queue
private_cups_start "$work/cups"
private_cups_add_pdf_queue "$queue" "$work/out"

# Waits until the queue has completed $1 jobs and as many PDFs are written.
wait_for_pdfs() {
  local count=$1 i completed pdfs
  for ((i = 0; i < 600; ++i)); do
    completed=$(lpstat -W completed -o "$queue" 2>/dev/null | wc -l)
    pdfs=$(find "$work/out" -name '*.pdf' | wc -l)
    if ((completed >= count && pdfs >= count)); then
      return 0
    fi
    if calculator_message_box 1 >/dev/null; then
      echo "FAIL: the program showed a message box instead of printing" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "FAIL: $count PDF(s) expected within 60 s, found $pdfs; jobs:" >&2
  lpstat -W all -l -o >&2 || true
  # What the scheduler, its filters and the backend said of each job.
  grep -E '\[Job [0-9]+\] ' "$work/cups/log/error_log" | grep -v -e 'envp\[' -e 'argv\[' | tail -n 40 >&2 || true
  tail -n 20 "$work/cups/log/"cups-pdf*_log >&2 2>/dev/null || true
  return 1
}

# A temporary folder with 8 KB left: less than the page.
calculator_mount "$work/tmp" -t tmpfs -o size=64k,mode=1777 tmpfs
dd if=/dev/zero of="$work/tmp/fill" bs=4k 2>/dev/null || true
truncate -s -8K "$work/tmp/fill"

xvfb_session_start "$work"
TMPDIR=$work/tmp calculator_start "$calculator"
if grep -q libcups "/proc/$calculator_pid/maps"; then
  echo "FAIL: the program loaded libcups at start-up" >&2
  exit 1
fi

# The focus starts on the butter field; Enter walks to the next field and
# from the powder field to Calculate.
xdotool type --delay 20 "1.4"
xdotool key Return
xdotool type --delay 20 "1.7"
xdotool key Return
xdotool type --delay 20 "1.2"
xdotool key Return alt+c
xdotool key alt+p
wait_for_pdfs 1
if ! grep -q libcups "/proc/$calculator_pid/maps"; then
  echo "FAIL: printing did not load libcups, so the start-up check above proves nothing" >&2
  exit 1
fi
xdotool key alt+p
wait_for_pdfs 2

mapfile -t pdfs < <(find "$work/out" -name '*.pdf' | sort)
pdftotext -layout "${pdfs[0]}" "$work/first.txt"
pdftotext -layout "${pdfs[1]}" "$work/second.txt"
if ! cmp -s "$work/first.txt" "$work/second.txt"; then
  echo "FAIL: the two presses printed different pages:" >&2
  diff "$work/first.txt" "$work/second.txt" >&2 || true
  exit 1
fi

# pdftotext approximates runs of blanks, so words are compared one by one.
expected=(
  "Chicago Mercantile Exchange Gradee AA Butter Price - \$1.4"
  "Chicago Mercantile Exchange Block Cheddar Cheese Price - \$1.7"
  "Orvania Weighted Average Powder Price - \$1.2"
  "At the above commodity prices, Class Prices are:"
  "Class 4A FAT - \$1.4557"
  "Class 4A SNF - \$1.0302"
  "Class 4A cwt - \$14.0578"
  "Class 4B FAT - \$1.4557"
  "Class 4B SNF - \$1.1590"
  "Class 4B cwt - \$15.1779"
)
mapfile -t printed < <(sed -e 's/\f//g' -e 's/^ *//' -e 's/ *$//' -e 's/  */ /g' "$work/first.txt" | grep -v '^$')
same=$((${#printed[@]} == ${#expected[@]}))
for i in "${!expected[@]}"; do
  [[ ${printed[i]:-} == "${expected[i]}" ]] || same=0
done
if ((!same)); then
  echo "FAIL: the printed lines are not the report:" >&2
  printf '  %s\n' "${printed[@]}" >&2
  exit 1
fi

echo "-- the report's origin on a queue with zero margins and on one with margins"
calculator_stop
for margins in "0 0 0 0" "36 48 18 24"; do
  queue=torvelorigin${margins// /_}$$
  rm -rf "$work/origin"
  private_cups_margins_ppd $margins >"$work/origin.ppd"
  private_cups_add_pdf_queue "$queue" "$work/origin" "$work/origin.ppd"
  TORVEL_PDF_DIR=$work/origin TORVEL_MARGINS=$margins QT_QPA_PLATFORM=offscreen \
    timeout 120 "$tst_default_printer" landsAtThePrintableAreasTopLeft
done

echo "-- prints that take their time, are cancelled, or are ended"
lpadmin -d "$pdfqueue"
calculator_bus_start
row_out=$work/out

# slow_service DELAY [MODE]: the fake service in front of the scheduler, whose
# address it leaves in $slow_server.
slow_pid=
slow_service() {
  [[ -z $slow_pid ]] || { kill "$slow_pid"; wait "$slow_pid" 2>/dev/null || true; }
  rm -f "$work/slow.port"
  /usr/bin/python3 "$here/fake_print_service.py" slow "$work/cups/cups.sock" "$@" >"$work/slow.port" &
  slow_pid=$!
  local i
  for ((i = 0; i < 50; ++i)); do [[ -s $work/slow.port ]] && break; sleep 0.1; done
  slow_server=127.0.0.1:$(head -n1 "$work/slow.port")
}
# How many connections the fake service has taken.
slow_connections() { echo $(($(wc -l <"$work/slow.port") - 1)); }

# The row is done when the report has printed and the queue is empty.
printed_all() {
  (($(row_pdfs) > row_before && $(row_jobs) == 0))
}
printed_then_quiet() { printed_all && sleep 8; }
# Waits, up to 30 s, for the scheduler to hold a job of this row's.
job_created() {
  local i
  for ((i = 0; i < 300; ++i)); do
    (($(row_jobs) > 0)) && return 0
    sleep 0.1
  done
  echo "no job was created within 30 s" >&2
}
press() {
  xdotool windowfocus --sync "$window"
  xdotool key "$@"
}
escape_once_created() { job_created; sleep 0.5; press Escape; }
print_again() { sleep 1.5; press alt+p; }
# Exit one second into the silence, and how long the program took to end.
exit_into_silence() {
  sleep 1
  press alt+x
  local start=$(uptime_ms) i
  for ((i = 0; i < 100; ++i)); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.05
  done
  exit_ms=$(($(uptime_ms) - start))
  echo "the program ended $exit_ms ms after Alt+X"
}
slow_row() {
  print_row "$@" CUPS_SERVER="$slow_server"
}

row_done=printed_all row_wait=60
print_row "a healthy print"
expect_row printed=1 left=0 "message="

slow_service 2.5
slow_row "each answer 2.5 s late"
expect_row printed=1 left=0 "message="

slow_service 3.0
slow_row "each answer 3.0 s late"
expect_row printed=1 left=0 "message="

# A second Print while one is under way does not start another: the row
# watches long enough for a second report to come out.
slow_service 1.0
row_done=printed_then_quiet row_action=print_again
slow_row "Alt+P again during a print, each answer 1.0 s late"
expect_row printed=1 left=0 "message="

row_done= row_wait=12 row_action=escape_once_created
slow_service 1.5
slow_row "Escape once the job is created, each answer 1.5 s late"
expect_row printed=0 left=0 "message="

# Escape two seconds into a wait that no answer ends: the print ends at once,
# not when the silence runs out 10 s in, and Print again reaches the service
# straight away (and is cancelled in turn).
progress_shown() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Torvel Calculator$' 2>/dev/null || true); do
    [[ $(xprop -id "$id" WM_WINDOW_ROLE 2>/dev/null) == *'"printProgress"'* ]] && return 0
  done
  return 1
}
escape_into_silence() {
  sleep 2
  if ! progress_shown; then
    echo "FAIL: no progress window two seconds into the print" >&2
    row_failures=$((${row_failures:-0} + 1))
  fi
  press Escape
  local start=$(uptime_ms) before i
  while progress_shown && (($(uptime_ms) - start < 5000)); do sleep 0.05; done
  escape_ms=$(($(uptime_ms) - start))
  before=$(slow_connections)
  press alt+p
  for ((i = 0; i < 20 && $(slow_connections) == before; ++i)); do sleep 0.1; done
  again_ms=$(((i < 20) ? i * 100 : -1))
  echo "the progress window went $escape_ms ms after Escape; Print again reached the service in ${again_ms} ms"
  press Escape
}
row_action=escape_into_silence row_wait=5 escape_ms= again_ms=
slow_service 1000
slow_row "Escape two seconds into a silent wait, then Alt+P"
expect_row printed=0 left=0 "message="
if [[ -z $escape_ms ]] || ((escape_ms > 1500)); then
  echo "FAIL: the print ended ${escape_ms:-too long} ms after Escape, not within 1500 ms" >&2
  row_failures=$((${row_failures:-0} + 1))
fi
if [[ -z $again_ms ]] || ((again_ms < 0)); then
  echo "FAIL: Print again did not reach the service within 2 s" >&2
  row_failures=$((${row_failures:-0} + 1))
fi

# The computer's clock is set an hour forward during a slow print, and an
# hour back during a silent one (a time server, a resumed laptop): the
# program alone sees its wall clock moved, by libfaketime.
clock_file=$work/faketime
set_clock() { echo "$1" >"$clock_file"; }
clock_forward() { sleep 3; set_clock +3600; }
clock_back() { sleep 2; set_clock -3600; }
clock_row() {
  set_clock +0
  print_row "$@" CUPS_SERVER="$slow_server" LD_PRELOAD="$faketime_library" FAKETIME_TIMESTAMP_FILE="$clock_file" \
    FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1
}
# libfaketime cannot join a program built with AddressSanitizer: preloaded
# after the runtime the program hangs at start, before it the runtime refuses
# to run. The sanitizer suite leaves these rows to the plain build.
if ldd "$calculator" | grep libasan >/dev/null; then
  echo "-- the clock rows: left to the build without AddressSanitizer"
else
  faketime_library=$(dpkg -L libfaketime | grep '/libfaketimeMT\.so\.1$')
  slow_service 2.5
  row_done=printed_all row_wait=60 row_action=clock_forward
  clock_row "each answer 2.5 s late, the clock set an hour forward"
  expect_row printed=1 left=0 "message="
  slow_service 1000
  row_done= row_wait=25 row_action=clock_back
  clock_row "a service that never answers, the clock set an hour back"
  expect_row printed=0 left=0 "message=The report could not be printed. The printing service on $slow_server did not answer within 10 seconds."
fi

# Requests reach the scheduler, answers never come back.
row_action=exit_into_silence exit_ms=
slow_service 1000
slow_row "Alt+X one second into a silent wait"
expect_row printed=0 left=0 "status=0"
if [[ -z $exit_ms ]] || ((exit_ms > 2000)); then
  echo "FAIL: the program took ${exit_ms:-too long} ms to end after Alt+X" >&2
  row_failures=$((${row_failures:-0} + 1))
fi

# The document arrives whole, then the service falls silent: the report
# prints, and the clerk is told to check rather than told that it failed.
row_action= row_wait=40
slow_service 0 --unconfirmed
slow_row "no answer once the document is sent whole"
expect_row printed=1 left=0 "message=The report was sent to the printer \"$pdfqueue\", but the printing service did not confirm it. Check the printer before printing again."
kill "$slow_pid"

# A queue that asks for a password: a scheduler of its own on 127.0.0.1 (over
# its local socket libcups would prove who the user is without one), and the
# program run as an ordinary user, on a terminal of its own where libcups
# would ask if nothing else did.
# The user is this run's own, so that two runs at once keep out of each
# other's way; those of runs that were killed outright go first.
for stale in $(getent passwd | cut -d: -f1 | grep '^torvelclerk[0-9]*$' || true); do
  kill -0 "${stale#torvelclerk}" 2>/dev/null || userdel "$stale" || true
done
clerk=torvelclerk$$
clerk_password=Milk-4b-$RANDOM
useradd --no-create-home --shell /usr/sbin/nologin "$clerk"
calculator_undo+=("userdel $clerk")
echo "$clerk:$clerk_password" | chpasswd
mkdir -p "$work/clerk"
chown "$clerk" "$work/clerk"
chmod 0700 "$work/clerk"
# The clerk may not enter the folder the program was built in (a home folder
# is often private to its owner), so it runs copies of the program and of the
# probe that reads its dialogs.
install -d -m 0755 "$work/clerk-tools"
install -m 0755 "$calculator" "$probe" "$work/clerk-tools/"
calculator=$work/clerk-tools/$(basename "$calculator")
probe=$work/clerk-tools/$(basename "$probe")
private_cups_stop
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
private_cups_conf_extra="Listen 127.0.0.1:$port
DefaultAuthType Basic"
private_cups_policy_extra="  <Limit Create-Job Print-Job Print-URI Send-Document>
    AuthType Basic
    Require valid-user
    Order deny,allow
  </Limit>"
private_cups_start "$work/auth"
private_cups_conf_extra= private_cups_policy_extra=
authqueue=torvelqa$$
private_cups_add_pdf_queue "$authqueue" "$work/auth-out"
# cups-pdf writes the PDF as the user who printed it.
chown "$clerk" "$work/auth-out"
calculator_bus_start "$clerk"
row_out=$work/auth-out
row_launch=(runuser -u "$clerk" -- /usr/bin/python3 -c 'import pty, sys; pty.spawn(sys.argv[1:])')

# password_dialog: waits up to 20 s for the dialog that asks for the
# password, leaves its texts in $row_dialog and focuses it.
password_dialog() {
  local start=$(uptime_ms) id
  row_dialog=
  # A program whose thread is held answers the bus late: the time counts.
  while (($(uptime_ms) - start < 20000)); do
    row_dialog=$(calculator_dialogs "$program" | grep $'^dialog\t' | grep '=\*[0-9]*\]' || true)
    [[ -n $row_dialog ]] && break
    sleep 0.2
  done
  echo "the dialog: ${row_dialog:-(none within 20 s)}"
  [[ -n $row_dialog ]] || return 0
  for id in $(xdotool search --onlyvisible --name '^Torvel Calculator$'); do
    xprop -id "$id" _NET_WM_STATE | grep _NET_WM_STATE_MODAL >/dev/null && xdotool windowfocus --sync "$id"
  done
  return 0
}
password_right() {
  password_dialog
  [[ -z $row_dialog ]] || xdotool type --delay 20 "$clerk_password"
  xdotool key Return
}
password_wrong_twice() {
  password_dialog
  [[ -z $row_dialog ]] || xdotool type --delay 20 "not-$clerk_password"
  xdotool key Return
  sleep 1
  password_dialog
  [[ -z $row_dialog ]] || xdotool type --delay 20 "still-not-$clerk_password"
  xdotool key Return
}
password_escape() {
  password_dialog
  xdotool key Escape
}
# The row asked in the window, with the login name filled in, and never on
# the terminal.
expect_asked_in_window() {
  if [[ $row_dialog != *"=$clerk]"* ]]; then
    echo "FAIL: no password dialog with the user name $clerk filled in: ${row_dialog:-(none)}" >&2
    row_failures=$((${row_failures:-0} + 1))
  fi
  if grep -a "Password for" "$work/calculator.log" >&2; then
    echo "FAIL: libcups asked for the password on the terminal" >&2
    row_failures=$((${row_failures:-0} + 1))
  fi
}
clerk_env=(HOME="$work/clerk" XDG_RUNTIME_DIR="$work/clerk" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb LANG="$LANG" CUPS_SERVER="127.0.0.1:$port"
           CUPS_SERVERROOT="$CUPS_SERVERROOT")

row_done=printed_all row_wait=30 row_action=password_right
print_row "a queue that asks for a password: the right one" "${clerk_env[@]}"
expect_row printed=1 left=0 "message="
expect_asked_in_window

row_done= row_wait=15 row_action=password_wrong_twice
print_row "a queue that asks for a password: a wrong one twice" "${clerk_env[@]}"
expect_row printed=0 left=0 \
  "message=The report could not be printed. The printer \"$authqueue\" did not accept the user name and password."
expect_asked_in_window

row_action=password_escape row_wait=10
print_row "a queue that asks for a password: Escape" "${clerk_env[@]}"
expect_row printed=0 left=0 "message="
expect_asked_in_window
row_launch=() row_action= row_out=

print_rows_end

if [[ -n $keep ]]; then
  mkdir -p "$keep"
  cp "${pdfs[0]}" "$keep/report.pdf"
fi
echo "PASS: Print pressed twice in the real program, with 8 KB of temporary space, gave 2 PDFs through CUPS with"
echo "      the same ${#printed[@]} report lines, and the report starts at the printable area's top-left with and without margins"
