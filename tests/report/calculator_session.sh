# The real program on a private X server beside a private CUPS scheduler, for
# the printing scripts. Source this file (it sources private_cups.sh and
# xvfb_session.sh), then:
#   calculator_session_begin TEMPLATE
#                             makes the work folder $work from a mktemp
#                             TEMPLATE and, at exit, stops the program, the X
#                             server and the scheduler and removes $work; when
#                             the script failed, it shows the logs first
#   calculator_start PROGRAM  starts PROGRAM on the X server and focuses its
#                             window, whose id it leaves in $window
#   calculator_stop           ends the program started last
#   calculator_message_box [TRIES]
#                             prints the id of the program's message box,
#                             looking TRIES times 0.1 s apart (300 unless
#                             given); the print progress window has the same
#                             title, and is told apart by its window role
#   calculator_bus_start [USER]
#                             starts a private D-Bus session with accessibility
#                             on, so that the program's dialogs can be read; as
#                             USER when given, whose program only it can read
#   print_row NAME [VAR=VALUE...]
#                             starts the program with VAR=VALUE, presses Print,
#                             then runs $row_action (a function, if set) and
#                             watches until a message box shows, the program
#                             ends, $row_done (a function, if set) succeeds or
#                             $row_wait seconds pass. It leaves the longest
#                             unanswered ping in $row_ping_ms, the longest
#                             repaint in $row_repaint_ms, the message in
#                             $row_message, the PDFs written meanwhile into
#                             $row_out in $row_printed, the jobs left in the
#                             queue in $row_left and, when the program ended,
#                             its status in $row_status; and prints them as a
#                             table line. $row_launch (an array) runs before
#                             the program, e.g. runuser or a terminal
#   expect_row WHAT...        fails the row when it did not turn out so:
#                             message=TEXT, message-starts=TEXT,
#                             message-not=TEXT, message-lacks=TEXT, printed=N, left=N, status=N
#   calculator_mount DIR ARGS...
#                             mounts with ARGS on DIR (under $work), unmounted
#                             again at exit; where mounting is not allowed,
#                             the test is skipped (it fails with CI=true)

source "$(dirname "${BASH_SOURCE[0]}")/private_cups.sh"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb_session.sh"

calculator_pid=
calculator_mounts=()
calculator_undo=() # commands run at exit, e.g. to remove a user added for a test
calculator_bus_pid=
calculator_bus_runner=()
probe=$(dirname "${BASH_SOURCE[0]}")/window_probe.py

calculator_session_begin() {
  work=$(mktemp -d "$1")
  chmod 0755 "$work"
  trap calculator_session_end EXIT
}

calculator_session_end() {
  local status=$?
  if [[ -n $calculator_pid ]]; then kill "$calculator_pid" 2>/dev/null || true; fi
  if ((status != 0)); then
    if [[ -n $xvfb_pid ]] && ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "(the X server ${DISPLAY:-} had ended)" >&2
    fi
    for log in "$work"/calculator.log "$work"/xvfb.log; do
      [[ -s $log ]] && { echo "--- $log"; tail -n 20 "$log"; } >&2
    done
  fi
  calculator_bus_stop
  xvfb_session_stop
  private_cups_stop
  local mount undo
  for mount in "${calculator_mounts[@]}"; do umount "$mount" || true; done
  for undo in "${calculator_undo[@]}"; do eval "$undo" || true; done
  rm -rf "$work"
}

calculator_mount() {
  local dir=$1
  shift
  mkdir -p "$dir"
  if ! mount "$@" "$dir" 2>"$work/mount.err"; then
    private_cups_unavailable "mount $* failed: $(<"$work/mount.err")"
  fi
  calculator_mounts+=("$dir")
}

calculator_start() {
  "$1" >"$work/calculator.log" 2>&1 &
  calculator_pid=$!
  window=$(xvfb_find_window "^Calculate Milk Price$")
  xdotool windowfocus --sync "$window"
}

calculator_stop() {
  kill "$calculator_pid" || true
  wait "$calculator_pid" 2>/dev/null || true
  calculator_pid=
}

calculator_message_box() {
  local tries=${1:-300} i id role
  for ((i = 0; i < tries; ++i)); do
    for id in $(xdotool search --onlyvisible --name "^Torvel Calculator$" 2>/dev/null || true); do
      # A window that is gone by now (the progress window, closing) has no role to read.
      role=$(xprop -id "$id" WM_WINDOW_ROLE 2>/dev/null) || continue
      if [[ $role != *'"printProgress"'* ]]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  ((tries == 1)) || echo "FAIL: no message box after $tries looks" >&2
  return 1
}

# The tools that watch the program: the ping probe (python3-xlib) and the
# reader of its dialogs (the AT-SPI client), for Debian's own Python.
calculator_watch_require() {
  command -v dbus-daemon >/dev/null || private_cups_unavailable "dbus-daemon is missing (scripts/setup installs it)"
  /usr/bin/python3 -c 'import Xlib' 2>/dev/null ||
    private_cups_unavailable "python3-xlib is missing (scripts/setup installs it)"
  /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    private_cups_unavailable "the AT-SPI client for /usr/bin/python3 is missing (scripts/setup installs it)"
}

calculator_bus_start() {
  calculator_bus_stop
  local user=${1:-root} bus
  calculator_bus_runner=()
  [[ $user == root ]] || calculator_bus_runner=(runuser -u "$user" --)
  mkdir -p "$work/bus-$user"
  chown "$user" "$work/bus-$user"
  chmod 0700 "$work/bus-$user"
  bus=$("${calculator_bus_runner[@]}" env XDG_RUNTIME_DIR="$work/bus-$user" \
          dbus-daemon --session --fork --print-address=1 --print-pid=1 --address="unix:dir=$work/bus-$user")
  export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
  calculator_bus_pid=${bus##*$'\n'}
  "${calculator_bus_runner[@]}" env DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    /usr/bin/python3 "$probe" accessibility-on
}

calculator_bus_stop() {
  if [[ -n $calculator_bus_pid ]]; then
    kill "$calculator_bus_pid" 2>/dev/null || true
    calculator_bus_pid=
  fi
  return 0
}

# What the program shows besides its window: one line a window.
calculator_dialogs() {
  "${calculator_bus_runner[@]}" env DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    /usr/bin/python3 "$probe" read "$1" 2>/dev/null || true
}

row_action=
row_done=
row_wait=20
row_launch=()
row_out=
row_table=()

# Milliseconds since boot: the rows' waits must not end early, or never, when
# the machine's clock is set meanwhile.
uptime_ms() {
  local up
  read -r up _ </proc/uptime
  echo $((10#${up/./}0))
}

# The jobs of this row that the scheduler has not finished.
row_jobs() {
  LC_ALL=C lpstat -o 2>/dev/null | awk '{ print $1 }' | sort | comm -13 "$work/jobs.before" - | wc -l
}

row_pdfs() {
  if [[ -n $row_out && -d $row_out ]]; then
    find "$row_out" -name '*.pdf' | wc -l
  else
    echo 0
  fi
}

print_row() {
  local name=$1 i dialogs probe_pid program start ping
  shift
  row_message= row_status= row_ping_ms= row_repaint_ms=
  row_before=$(row_pdfs)
  echo "-- $name"
  # Jobs that an earlier row left behind are counted there, not here.
  LC_ALL=C lpstat -o 2>/dev/null | awk '{ print $1 }' | sort >"$work/jobs.before" || true
  "${row_launch[@]}" env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    "$@" "$calculator" >"$work/calculator.log" 2>&1 </dev/null &
  calculator_pid=$!
  window=$(xvfb_find_window "^Calculate Milk Price$")
  # The program itself, which the runner may have started under it.
  program=$(xdotool getwindowpid "$window")
  xdotool windowfocus --sync "$window"
  /usr/bin/python3 "$probe" ping "$window" >"$work/ping.out" &
  probe_pid=$!
  start=$(uptime_ms)
  xdotool key --window "$window" alt+p
  [[ -n $row_action ]] && "$row_action"
  while (($(uptime_ms) - start < row_wait * 1000)); do
    kill -0 "$program" 2>/dev/null || break
    dialogs=$(calculator_dialogs "$program")
    # The progress window may be listed before the message box.
    grep -q $'^alert\t' <<<"$dialogs" && break
    [[ -n $row_done ]] && "$row_done" && { sleep 1; break; }
    sleep 0.2
  done
  row_windows=
  if kill -0 "$program" 2>/dev/null; then
    dialogs=$(calculator_dialogs "$program")
    row_windows=$(cut -f1,3 <<<"$dialogs" | tr '\t\n' ': ')
    row_message=$(sed -n 's/^alert\t[^\t]*\t\(.*\)$/\1/p' <<<"$dialogs" | sed 's/ | <[^>]*>//g' | head -n1)
  fi
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
  ping=$(<"$work/ping.out")
  row_ping_ms=$(sed -n 's/.*longest_unanswered_ms=\([0-9]*\).*/\1/p' <<<"$ping")
  row_repaint_ms=$(sed -n 's/.*longest_repaint_ms=\([0-9]*\).*/\1/p' <<<"$ping")
  if kill -0 "$program" 2>/dev/null; then
    if [[ -n $row_message ]]; then
      xdotool key Return
      sleep 0.5
    fi
    kill "$program" 2>/dev/null || true
  fi
  wait "$calculator_pid" 2>/dev/null && row_status=${row_status:-0} || row_status=${row_status:-$?}
  calculator_pid=
  # Jobs that the scheduler still has to finish are not left over yet.
  for ((i = 0; i < 100; ++i)); do
    (($(row_jobs) > 0)) || break
    LC_ALL=C lpstat -p 2>/dev/null | grep 'now printing' >/dev/null || break
    sleep 0.1
  done
  row_left=$(row_jobs)
  row_printed=$(($(row_pdfs) - row_before))
  row_table+=("| $name | $row_ping_ms ms | ${row_message:-(none)} | $row_printed | $row_left |")
  echo "ROW ${row_table[-1]} repaint $row_repaint_ms ms; probe: $ping; windows at the end: ${row_windows:-none}"
  row_failed=0
  expect_row "ping<=500" "repaint<=500"
}

expect_row() {
  local what value ok
  for what in "$@"; do
    value=${what#*=}
    case $what in
      message=*) [[ $row_message == "$value" ]] ;;
      message-starts=*) [[ $row_message == "$value"* ]] ;;
      message-has=*) [[ $row_message == *"$value"* ]] ;;
      message-not=*) [[ -n $row_message && $row_message != "$value" ]] ;;
      message-lacks=*) [[ $row_message != *"$value"* ]] ;;
      printed=*) ((row_printed == value)) ;;
      left=*) ((row_left == value)) ;;
      status=*) [[ $row_status == "$value" ]] ;;
      ping\<=*) [[ -n $row_ping_ms ]] && ((row_ping_ms <= ${what#*<=})) ;;
      repaint\<=*) [[ -n $row_repaint_ms ]] && ((row_repaint_ms <= ${what#*<=})) ;;
    esac && continue
    echo "FAIL: expected $what; got ping $row_ping_ms ms, repaint $row_repaint_ms ms, message \"$row_message\"," \
      "$row_printed printed, $row_left left in the queue, status ${row_status:-(running)}" >&2
    row_failures=$((${row_failures:-0} + 1))
  done
}

# The rows' table, and the script's failure when any row failed.
print_rows_end() {
  echo "| row | longest unanswered ping | message | printed | left in the queue |"
  echo "|---|---|---|---|---|"
  printf '%s\n' "${row_table[@]}"
  if ((${row_failures:-0} > 0)); then
    echo "FAIL: $row_failures expectation(s) not met (above)" >&2
    exit 1
  fi
}
