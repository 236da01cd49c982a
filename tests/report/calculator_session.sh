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
#   calculator_mount DIR ARGS...
#                             mounts with ARGS on DIR (under $work), unmounted
#                             again at exit; where mounting is not allowed,
#                             the test is skipped (it fails with CI=true)

source "$(dirname "${BASH_SOURCE[0]}")/private_cups.sh"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb_session.sh"

calculator_pid=
calculator_mounts=()

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
  xvfb_session_stop
  private_cups_stop
  local mount
  for mount in "${calculator_mounts[@]}"; do umount "$mount" || true; done
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
