# A private X server for driving the real program with xdotool. Source this
# file, then:
#   xvfb_session_start DIR      starts Xvfb on a free display and exports DISPLAY
#   xvfb_find_window REGEX      prints the id of the visible window whose title
#                               matches, waiting up to 30 s
#   xvfb_wait_gone WINDOW       waits up to 30 s for the window to disappear
#   xvfb_session_stop

xvfb_pid=

xvfb_session_start() {
  local dir=$1 i
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
  xvfb_pid=$!
  for ((i = 0; i < 100; ++i)); do
    [[ -s $dir/display ]] && break
    sleep 0.1
  done
  [[ -s $dir/display ]] || { echo "Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; return 1; }
  export DISPLAY=:$(head -n1 "$dir/display")
  export QT_QPA_PLATFORM=xcb
}

xvfb_find_window() {
  local regex=$1 i id
  for ((i = 0; i < 300; ++i)); do
    id=$(xdotool search --onlyvisible --name "$regex" 2>/dev/null | head -n1 || true)
    if [[ -n $id ]]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "FAIL: no window titled /$regex/ within 30 s" >&2
  return 1
}

xvfb_wait_gone() {
  local window=$1 i
  for ((i = 0; i < 300; ++i)); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$window" || return 0
    sleep 0.1
  done
  echo "FAIL: window $window still open after 30 s" >&2
  return 1
}

xvfb_session_stop() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  fi
}
