# A private X server for driving the real program with xdotool. Source this
# file, then:
#   xvfb_session_start DIR [OPTION...]
#                               starts Xvfb on a free display, with any further
#                               Xvfb options, and exports DISPLAY (and
#                               QT_QPA_PLATFORM=xcb)
#   xvfb_find_window REGEX      prints the id of the visible window whose title
#                               matches, waiting up to 30 s
#   xvfb_wait_gone WINDOW       waits up to 30 s for the window to disappear
#   xvfb_session_stop

xvfb_pid=

xvfb_session_start() {
  local dir=$1 attempt i display
  shift
  # Other X servers on this machine start from :0 and can hand a display number
  # over while one is stopping and the next starting; a random high number
  # keeps out of their way, and a server counts only once it answers.
  for ((attempt = 0; attempt < 10; ++attempt)); do
    display=:$((200 + RANDOM % 700))
    [[ -e /tmp/.X${display#:}-lock ]] && continue
    # -noreset: the probe below is the first client, and the server would
    # otherwise reset when it leaves, refusing the next client meanwhile.
    setsid Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 2>>"$dir/xvfb.log" </dev/null &
    xvfb_pid=$!
    for ((i = 0; i < 100; ++i)); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if xdpyinfo -display "$display" >/dev/null 2>&1; then
        export DISPLAY=$display
        export QT_QPA_PLATFORM=xcb
        return 0
      fi
      sleep 0.1
    done
    xvfb_session_stop
  done
  echo "Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  return 1
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
    xdotool search --onlyvisible --name . 2>/dev/null | grep -x "$window" >/dev/null || return 0
    sleep 0.1
  done
  echo "FAIL: window $window still open after 30 s" >&2
  return 1
}

xvfb_session_stop() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
  return 0
}
