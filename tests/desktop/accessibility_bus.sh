#!/usr/bin/env bash
# What a screen reader hears of the real program: the program runs on a private
# X server, a private D-Bus session carries its own AT-SPI bus, and the client
# in accessibility_bus.py reads and listens there as Orca would.
# Usage: accessibility_bus.sh <torvel-calculator>
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
here=$(cd "$(dirname "$0")" && pwd)
calculator=$1

reason=
for tool in Xvfb xdpyinfo xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
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
  xvfb_session_stop
  rm -rf "$work"
}
trap finish EXIT

xvfb_session_start "$work"
# The bus's own services may write their settings here, not into the home.
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
timeout 120 dbus-run-session -- /usr/bin/python3 "$here/accessibility_bus.py" "$calculator"
