#!/usr/bin/env bash
# Copying the prices out of the real program, as another program on the
# desktop receives them: the program runs on a private X server, keys and
# clicks come from xdotool, and xclip reads the CLIPBOARD selection while the
# program still owns it. Each row prints what it read.
#   - the worked example, then Ctrl+Shift+C, in en_US and de_DE: the table as
#     text and as HTML;
#   - a triple-click on a result, then Ctrl+C: that price alone;
#   - a drag across a result with the mouse: that price in the PRIMARY
#     selection, which a middle click pastes;
#   - Clear, then Ctrl+Shift+C: the clipboard keeps what another program put
#     there.
# Usage: clipboard_xclip.sh <torvel-calculator>
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
here=$(cd "$(dirname "$0")" && pwd)
calculator=$1

for tool in Xvfb xdpyinfo xdotool xwininfo xclip; do
  if ! command -v "$tool" >/dev/null; then
    [[ ${CI:-} == true ]] && { echo "FAIL: CI must run the clipboard test, but $tool is missing" >&2; exit 1; }
    echo "SKIP: $tool is missing (scripts/setup test installs it)"
    exit 77
  fi
done

work=$(mktemp -d /tmp/torvel-clipboard.XXXXXX)
source "$here/../report/xvfb_session.sh"
program=
keeper=
finish() {
  [[ -n $program ]] && kill "$program" 2>/dev/null || true
  [[ -n $keeper ]] && kill "$keeper" 2>/dev/null || true
  xvfb_session_stop
  rm -rf "$work"
}
trap finish EXIT
xvfb_session_start "$work"

failures=0
expect() { # WHAT EXPECTED ACTUAL
  if [[ $2 == "$3" ]]; then
    echo "ok: $1"
  else
    echo "FAIL: $1"$'\n'"--- expected"$'\n'"$2"$'\n'"--- read"$'\n'"$3" >&2
    failures=$((failures + 1))
  fi
}

# Starts the program in the locale given, focuses it and types the worked
# example with Enter after each price and once more on Calculate.
start_and_calculate() { # LANG BUTTER CHEESE POWDER
  env -u LC_ALL -u LC_MONETARY -u LC_NUMERIC LANG=$1 "$calculator" >"$work/program.log" 2>&1 &
  program=$!
  window=$(xvfb_find_window '^Calculate Milk Price$')
  xdotool windowfocus --sync "$window"
  sleep 0.3
  local price
  for price in "$2" "$3" "$4"; do
    xdotool type --delay 40 "$price"
    xdotool key Return
  done
  xdotool key Return
  sleep 0.5
}

stop_program() {
  xdotool key alt+x
  wait "$program" || true
  program=
}

clipboard() { xclip -selection clipboard -o "$@" 2>/dev/null || echo "(nothing)"; }

# A window point given at 96 DPI, where the window is 520 pixels wide,
# scaled to the window as it is here.
click_at() { # X Y REPEAT
  local width
  width=$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')
  xdotool mousemove --window "$window" $(($1 * width / 520)) $(($2 * width / 520)) click --repeat "$3" --delay 60 1
}

# A drag with the left button from one window point to another on the same
# line, given at 96 DPI as for click_at.
drag_at() { # X1 X2 Y
  local width
  width=$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')
  xdotool mousemove --window "$window" $(($1 * width / 520)) $(($3 * width / 520)) mousedown 1 sleep 0.1 \
    mousemove --window "$window" $((($1 + $2) / 2 * width / 520)) $(($3 * width / 520)) sleep 0.1 \
    mousemove --window "$window" $(($2 * width / 520)) $(($3 * width / 520)) sleep 0.1 mouseup 1
}

table_html() { # FORMAT BUTTER CHEESE POWDER, then six "shown amount" pairs
  local html row format=$1
  shift
  html='<html><head><meta charset="utf-8"></head><body><table>'$'\n'
  html+="<tr><td>CME Butter Price</td><td>$1</td></tr>"$'\n'
  html+="<tr><td>CME Cheese Price</td><td>$2</td></tr>"$'\n'
  html+="<tr><td>OV Wt'd Avg. Powder Price</td><td>$3</td></tr>"$'\n'
  html+='<tr><td></td></tr>'$'\n''<tr><td></td><td>FAT</td><td>SNF</td><td>CWT</td></tr>'$'\n'
  shift 3
  for row in "Class 4A" "Class 4B"; do
    html+="<tr><td>$row</td>"
    html+="<td sdval=\"$2\" sdnum=\"1033;0;$format\">$1</td><td sdval=\"$4\" sdnum=\"1033;0;$format\">$3</td>"
    html+="<td sdval=\"$6\" sdnum=\"1033;0;$format\">$5</td></tr>"$'\n'
    shift 6
  done
  printf '%s' "$html</table></body></html>"
}

# LibreOffice's number format for the amounts: the window's text around
# the digits as literals.
copy_row() { # LANG FORMAT BUTTER CHEESE POWDER FAT4A SNF4A CWT4A FAT4B SNF4B CWT4B
  local lang=$1 format=$2 text
  shift
  start_and_calculate "$lang" "$2" "$3" "$4"
  xdotool key ctrl+shift+c
  sleep 0.5
  text=$(printf '%s\t%s\n' "CME Butter Price" "$2" "CME Cheese Price" "$3" "OV Wt'd Avg. Powder Price" "$4")
  text+=$'\n\n\tFAT\tSNF\tCWT\n'"Class 4A"$'\t'"$5"$'\t'"$6"$'\t'"$7"$'\n'"Class 4B"$'\t'"$8"$'\t'"$9"$'\t'"${10}"
  echo "--- $lang, Ctrl+Shift+C, as text:"
  clipboard
  expect "$lang: the table as text" "$text" "$(clipboard)"
  echo "--- $lang, as HTML:"
  clipboard -t text/html
  expect "$lang: the table as HTML" \
    "$(table_html "$format" "$2" "$3" "$4" "$5" 1.4557 "$6" 1.0302 "$7" 14.0578 "$8" 1.4557 "$9" 1.1590 "${10}" 15.1779)" \
    "$(clipboard -t text/html)"
}

copy_row en_US.UTF-8 '&quot;$&quot;0.0000' 1.4 1.7 1.2 '$1.4557' '$1.0302' '$14.0578' '$1.4557' '$1.1590' '$15.1779'

# Still in US English. The Class 4A CWT result's middle, at 96 DPI: its frame
# at (40, 128), the result at (352, 32) in it, 72 x 21 pixels.
click_at 428 170 3
xdotool key ctrl+c
sleep 0.3
expect "en_US: a triple-clicked result, Ctrl+C" '$14.0578' "$(clipboard)"

# Another program owns PRIMARY; a drag across the whole Class 4A FAT result,
# its frame at (136, 160) in the window, 70 x 21 pixels, takes it over.
printf other | xclip -selection primary -quiet -i >/dev/null 2>&1 &
keeper=$!
sleep 0.3
drag_at 138 204 170
sleep 0.3
expect "en_US: a result dragged across with the mouse, PRIMARY" '$1.4557' \
  "$(xclip -selection primary -o 2>/dev/null || echo '(nothing)')"
kill "$keeper" 2>/dev/null || true
keeper=

# Another program owns the clipboard; Clear, then Copy Prices has nothing to
# copy and takes nothing away.
printf kept | xclip -selection clipboard -quiet -i >/dev/null 2>&1 &
keeper=$!
sleep 0.3
xdotool windowfocus --sync "$window"
xdotool key alt+l
sleep 0.3
xdotool key ctrl+shift+c
sleep 0.5
expect "en_US: Ctrl+Shift+C after Clear keeps the clipboard" kept "$(clipboard)"
kill "$keeper" 2>/dev/null || true
keeper=
stop_program

copy_row de_DE.UTF-8 $'0.0000&quot;\xc2\xa0€&quot;' 1,4 1,7 1,2 $'1,4557\xc2\xa0€' $'1,0302\xc2\xa0€' $'14,0578\xc2\xa0€' $'1,4557\xc2\xa0€' \
  $'1,1590\xc2\xa0€' $'15,1779\xc2\xa0€'
stop_program

if ((failures)); then
  echo "$failures row(s) failed" >&2
  exit 1
fi
echo "PASS: the table, one result, PRIMARY after a drag and an unchanged clipboard, read back with xclip"
