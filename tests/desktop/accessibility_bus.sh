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
finish() {
  # Orca started speech-dispatcher for this session; it would leave on its
  # own after a few idle seconds.
  local speechd
  speechd=$(cat "$work/run/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null || true)
  [[ -n $speechd ]] && kill "$speechd" 2>/dev/null || true
  xvfb_session_stop
  rm -rf "$work"
}
trap finish EXIT

xvfb_session_start "$work"
# A home of its own: Orca, speech-dispatcher and the bus's services keep their
# settings and sockets here, on their defaults, and ALSA plays into nothing.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
printf '%s\n' 'pcm.!default { type null }' 'ctl.!default { type hw card 0 }' >"$work/home/.asoundrc"
# speech-dispatcher's own settings, with its sound sent to ALSA: Debian's
# default sends it to a PulseAudio server, and with none it hangs.
mkdir -p "$work/home/.config/speech-dispatcher"
{ cat /etc/speech-dispatcher/speechd.conf; echo 'AudioOutputMethod "alsa"'; } \
  >"$work/home/.config/speech-dispatcher/speechd.conf"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config \
  XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
timeout 150 dbus-run-session -- /usr/bin/python3 "$here/accessibility_bus.py" "$calculator" "$work/orca.log"
