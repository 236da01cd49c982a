#!/usr/bin/env bash
# What a screen reader hears of the real program: the program runs on a private
# X server, a private D-Bus session carries its own AT-SPI bus, Orca runs there
# on its default settings, and accessibility_bus.py reads and listens as Orca
# does and reads what Orca spoke from its debug log. Speech goes through
# speech-dispatcher and espeak-ng to ALSA's null device: with no sound server
# and no sound card speech-dispatcher would hang.
# Usage: accessibility_bus.sh <torvel-calculator>
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
here=$(cd "$(dirname "$0")" && pwd)
calculator=$1

reason=
for tool in Xvfb xdpyinfo xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher orca speech-dispatcher \
  /usr/lib/speech-dispatcher-modules/sd_espeak-ng; do
  command -v "$tool" >/dev/null || { reason="$tool is missing (scripts/setup installs it)"; break; }
done
# Debian's Python, which has the AT-SPI client library; another python3 on
# PATH may not.
if [[ -z $reason ]] && ! /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
  reason="the AT-SPI client for /usr/bin/python3 is missing (scripts/setup installs it)"
fi
if [[ -n $reason ]]; then
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: CI must run the accessibility test, but $reason" >&2
    exit 1
  fi
  echo "SKIP: $reason"
  exit 77
fi

work=$(mktemp -d /tmp/torvel-a11y.XXXXXX)
source "$here/../report/xvfb_session.sh"
stalls=0
finish() {
  xvfb_session_stop
  # The logs of a failing or stalled run kept for study: Orca's debug log,
  # what the test and the program printed, and the accessibility bus's traffic.
  if ((status != 0 || stalls > 0)) && [[ -n ${TORVEL_A11Y_KEEP:-} ]]; then
    mkdir -p "$TORVEL_A11Y_KEEP"
    kept=$(mktemp -d "$TORVEL_A11Y_KEEP/run.XXXXXX")
    for dir in "$work"/[0-9]; do
      mkdir -p "$kept/${dir##*/}"
      cp "$dir"/*.log* "$kept/${dir##*/}"/ 2>/dev/null || true
    done
    echo "the logs of this run are in $kept" >&2
  fi
  rm -rf "$work"
}
trap 'status=$?; finish' EXIT

# Orca started speech-dispatcher; it would leave on its own after a few idle
# seconds. With Orca in a process namespace of its own the pid file names a
# process there, gone with Orca: only a process of this run is ended.
stop_speech_dispatcher() {
  local run=$1 pid
  pid=$(cat "$run/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null) || return 0
  if grep -qz "^XDG_RUNTIME_DIR=$run\$" "/proc/$pid/environ" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
  fi
}

# One run of the test in a home of its own, $work/$1: Orca, speech-dispatcher
# and the bus's services keep their settings and sockets there, on their
# defaults, and ALSA plays into nothing.
run_once() {
  local dir=$work/$1 status=0 monitor=()
  mkdir -p "$dir/home/.config/speech-dispatcher" "$dir/run"
  chmod 700 "$dir/run"
  printf '%s\n' 'pcm.!default { type null }' 'ctl.!default { type hw card 0 }' >"$dir/home/.asoundrc"
  # speech-dispatcher's own settings, with its sound sent to ALSA: Debian's
  # default sends it to a PulseAudio server, and with none it hangs.
  { cat /etc/speech-dispatcher/speechd.conf; echo 'AudioOutputMethod "alsa"'; } \
    >"$dir/home/.config/speech-dispatcher/speechd.conf"
  [[ -n ${TORVEL_A11Y_KEEP:-} ]] && monitor=("$dir/a11y-bus.log")
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/home/.config \
    XDG_DATA_HOME=$dir/home/.local/share XDG_CACHE_HOME=$dir/home/.cache \
    timeout 110 dbus-run-session -- /usr/bin/python3 "$here/accessibility_bus.py" "$calculator" "$dir/orca.log" \
    "${monitor[@]}" 2> >(tee "$dir/test.log" >&2) || status=$?
  stop_speech_dispatcher "$dir/run"
  return "$status"
}

# No autorepeat: on a busy machine a key's release reached the program 0.67 s
# after its press, and the server's repeat of Enter pressed Calculate again.
xvfb_session_start "$work" -r
# Status 75: Orca stopped answering, or claimed its command too late, while
# the program answered throughout (accessibility_bus.py tells how). That run
# says nothing about the program, and a second run decides; a second fails.
for attempt in 1 2; do
  status=0
  run_once "$attempt" || status=$?
  ((status == 75)) || break
  stalls=$((stalls + 1))
  if ((attempt == 1)); then
    echo "Orca was late, not the program: the test runs once more" >&2
  else
    echo "FAIL: Orca was late in both runs" >&2
  fi
done
exit "$status"
