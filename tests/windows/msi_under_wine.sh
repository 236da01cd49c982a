#!/usr/bin/env bash
# The MSI and the ZIP as a Windows PC's IT and clerk meet them, under Wine:
# the ZIP unpacked into a user's own folder of a fresh prefix and its program
# run from there, touching nothing outside it; the MSI installed silently, the installed program started from where the
# MSI put it, with no other DLLs on its path, prices typed with real keys,
# the report printed through Wine to a private CUPS scheduler's PDF queue and
# read back, the regional settings of a German PC and a decimal symbol
# changed in the Region settings, a PC with no printer, a default printer
# that writes files, an upgrade in place, a clean uninstall, and an install
# into the folder IT names. Each row prints PASS or FAIL; the last line
# counts them.
#
# Usage: msi_under_wine.sh MSI NEXT_MSI ZIP FILE_PRINTER
#   NEXT_MSI is the same program as a later version, for the upgrade; ZIP
#   holds the same files as MSI; FILE_PRINTER is the build's file_printer.exe
#   (tests/windows/file_printer.cpp).
set -uo pipefail
msi=$1 next_msi=$2 zip=$3 file_printer=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_session.sh"
. "$here/../report/private_cups.sh"
private_cups_require xdotool xclip pdftotext msiinfo localedef unzip ps2pdf xprop

work=$(mktemp -d /tmp/torvel-wine-msi.XXXXXX)
chmod 0755 "$work"
program_pid=
cleanup() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
  wine_session_stop
  private_cups_stop
  rm -rf "$work"
}
trap cleanup EXIT

passed=0 failed=0
row() {
  local name=$1
  shift
  if "$@"; then
    echo "PASS: $name"
    passed=$((passed + 1))
  else
    echo "FAIL: $name"
    failed=$((failed + 1))
  fi
}

wine_session_start "$work" || exit 1
private_cups_start "$work/cups" || exit 1
live_cups=$CUPS_SERVER
private_cups_add_pdf_queue "torvelwine$$" "$work/out" || exit 1

installed="$WINEPREFIX/drive_c/Program Files/Torvel Calculator"
program='C:\Program Files\Torvel Calculator\torvel-calculator.exe'
# The MSI installs per machine (ALLUSERS=1), whose Start menu is ProgramData's;
# Wine 8 puts the shortcut of a per-machine install in the user's Start menu.
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Torvel Calculator.lnk"
           "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Torvel Calculator.lnk")
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# The uninstall entries whose name is the program's, one line each: "version".
uninstall_entries() {
  wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_/ { name = ""; version = "" }
    $1 == "DisplayName" { sub(/^ *DisplayName *REG_SZ */, ""); name = $0 }
    $1 == "DisplayVersion" { version = $3 }
    name == "Torvel Calculator" && version != "" { print version; name = "" }'
}

# msiexec_quiet /i|/x MSI [PROPERTY=VALUE...]
msiexec_quiet() {
  wine msiexec "$1" "$(winepath -w "$2")" "${@:3}" /qn >"$work/msiexec.log" 2>&1
  local status=$?
  wineserver --wait
  return $status
}

installs() {
  msiexec_quiet /i "$msi" || { echo "msiexec /i exited non-zero" >&2; return 1; }
  local file missing=0
  for file in torvel-calculator.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll \
              libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll LICENSE.txt; do
    [[ -f $installed/$file ]] || { echo "not installed: $file" >&2; missing=1; }
  done
  [[ -f ${shortcuts[0]} || -f ${shortcuts[1]} ]] ||
    { echo "no Start-menu shortcut named Torvel Calculator" >&2; missing=1; }
  msiinfo export "$msi" Property | tr -d '\r' | grep -x $'ALLUSERS\t1' >/dev/null || { echo "the MSI does not install per machine" >&2; missing=1; }
  [[ $(uninstall_entries) == 3.00 ]] || { echo "uninstall entries: $(uninstall_entries | paste -sd,)" >&2; missing=1; }
  ((!missing))
}

# Properties > Details, read back from the installed program.
version_resource() {
  /usr/bin/python3 - "$installed/torvel-calculator.exe" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
fields = {}
for info in getattr(pe, "FileInfo", []):
    for entry in info:
        for table in getattr(entry, "StringTable", []):
            fields.update({k.decode(): v.decode() for k, v in table.entries.items()})
want = {"ProductName": "Torvel Calculator", "InternalName": "TorvelCalculator", "FileVersion": "3.00",
        "ProductVersion": "3.00", "Comments": "Class 4A & 4B Milk Price (Last updated 12/05/07)"}
wrong = {k: fields.get(k) for k, v in want.items() if fields.get(k) != v}
icons = [e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == pefile.RESOURCE_TYPE["RT_GROUP_ICON"]]
if wrong or not icons:
    print("version resource differs:", wrong, "icon:", bool(icons), file=sys.stderr)
    sys.exit(1)
PY
}

# Starts the installed program, as the Start menu would, with ENV... and
# nothing of the build on its path.
start_program() {
  start_program_at "$program" "$@"
}

# start_program_at WINDOWS_PATH ENV...
start_program_at() {
  local path=$1
  shift
  env -u WINEPATH "$@" wine "$path" >"$work/program.log" 2>&1 &
  program_pid=$!
  window=$(xvfb_find_window "^Calculate Milk Price$") || return 1
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.5
}

stop_program() {
  xdotool key --window "$window" alt+x 2>/dev/null
  local i
  for ((i = 0; i < 100; ++i)); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$program_pid" 2>/dev/null
  wait "$program_pid" 2>/dev/null
  program_pid=
  wineserver --wait
}

type_prices() {
  local price
  for price in "$@"; do
    xdotool type --delay 30 "$price"
    xdotool key Return
  done
  xdotool key Return
}

# The message box's text, copied with Ctrl+C as Windows' message boxes allow.
message_text() {
  local box i
  for ((i = 0; i < 300; ++i)); do
    box=$(xdotool search --onlyvisible --name "^Torvel Calculator$" 2>/dev/null | head -n 1)
    [[ -n $box ]] && break
    sleep 0.1
  done
  [[ -n $box ]] || { echo "no message box" >&2; return 1; }
  xdotool windowfocus --sync "$box" 2>/dev/null
  sleep 0.3
  xdotool key ctrl+c
  sleep 0.5
  xclip -selection clipboard -o 2>/dev/null | tr -d '\r'
  xdotool key Return
}

# The report printed last, as words in lines.
printed_lines() {
  local before=$1 i pdf
  for ((i = 0; i < 600; ++i)); do
    pdf=$(find "$work/out" -name '*.pdf' -newer "$before" | head -n 1)
    [[ -n $pdf ]] && break
    sleep 0.1
  done
  [[ -n $pdf ]] || { echo "no PDF within 60 s; jobs: $(lpstat -W all -o 2>&1 | paste -sd';')" >&2; return 1; }
  sleep 0.5
  pdf_lines "$pdf"
}

# A page's words in lines.
pdf_lines() {
  local pdf=$1
  # Wine's PostScript driver names the hyphen's glyph "hyphen", which
  # pdftotext reads back as a soft hyphen (U+00AD): the same mark on paper.
  pdftotext -layout "$pdf" - | sed -e 's/\f//g' -e 's/\xc2\xad/-/g' -e 's/^ *//' -e 's/ *$//' -e 's/  */ /g' |
    grep -v '^$'
}

# Types the prices, prints, and compares the page with the report's lines.
prints_report() {
  local prices=("$1" "$2" "$3") shown=("${@:4}") marker=$work/marker expected printed
  touch "$marker"
  sleep 1
  type_prices "${prices[@]}"
  xdotool key alt+p
  printed=$(printed_lines "$marker") || return 1
  expected=$(report_lines "$@")
  [[ $printed == "$expected" ]] || { echo "printed:"; echo "$printed"; echo "expected:"; echo "$expected"; } >&2
  [[ $printed == "$expected" ]]
}

# The report's lines for three typed prices and the six shown.
report_lines() {
  local prices=("$1" "$2" "$3") shown=("${@:4}")
  printf '%s\n' \
    "Chicago Mercantile Exchange Gradee AA Butter Price - \$${prices[0]}" \
    "Chicago Mercantile Exchange Block Cheddar Cheese Price - \$${prices[1]}" \
    "Orvania Weighted Average Powder Price - \$${prices[2]}" \
    "At the above commodity prices, Class Prices are:" \
    "Class 4A FAT - ${shown[0]}" "Class 4A SNF - ${shown[1]}" "Class 4A cwt - ${shown[2]}" \
    "Class 4B FAT - ${shown[3]}" "Class 4B SNF - ${shown[4]}" "Class 4B cwt - ${shown[5]}"
}

no_printer() {
  local text
  start_program CUPS_SERVER="$work/no-such-scheduler.sock" || return 1
  type_prices 1.4 1.7 1.2
  xdotool key alt+p
  text=$(message_text)
  stop_program
  [[ $text == *"The report could not be printed. No default printer is set up."* ]] ||
    { echo "the message box said: $text" >&2; return 1; }
}

us_report() {
  start_program CUPS_SERVER="$live_cups" || return 1
  prints_report 1.4 1.7 1.2 '$1.4557' '$1.0302' '$14.0578' '$1.4557' '$1.1590' '$15.1779'
  local status=$?
  stop_program
  return $status
}

german_report() {
  wine_session_locale de_DE.UTF-8 || return 1
  start_program LANG=de_DE.UTF-8 LC_ALL= CUPS_SERVER="$live_cups" || return 1
  prints_report 1,4 1,7 1,2 '1,4557 €' '1,0302 €' '14,0578 €' '1,4557 €' '1,1590 €' '15,1779 €'
  local status=$?
  stop_program
  unset LOCPATH
  return $status
}

# A clerk in the US region who writes decimals with a comma: typed prices
# follow the decimal symbol, the money its own settings.
decimal_override() {
  local key='HKCU\Control Panel\International'
  wine reg add "$key" /v sDecimal /d "," /f >/dev/null && wine reg add "$key" /v sThousand /d "." /f >/dev/null
  wineserver --wait
  start_program CUPS_SERVER="$live_cups" || return 1
  prints_report 1,4 1,7 1,2 '$1.4557' '$1.0302' '$14.0578' '$1.4557' '$1.1590' '$15.1779'
  local status=$?
  stop_program
  wine reg add "$key" /v sDecimal /d "." /f >/dev/null && wine reg add "$key" /v sThousand /d "," /f >/dev/null
  wineserver --wait
  return $status
}

bad_input() {
  local text
  start_program CUPS_SERVER="$live_cups" || return 1
  type_prices 1.4 xyz 1.2
  text=$(message_text)
  stop_program
  [[ $text == *"Please input all commodities."* ]] || { echo "the message box said: $text" >&2; return 1; }
}

# The default printer writes files, as "Microsoft Print to PDF" does: a
# printer on the FILE: port, made the default with AddPrinterW and
# SetDefaultPrinterW. Wine makes the CUPS scheduler's default Windows' default
# again in every program it starts, so the program starts with no scheduler,
# as on a PC whose only printer writes files.
file_printer_name="Report to file"
no_cups=$work/no-such-scheduler.sock
files=$work/files

file_printer_default() {
  [[ -f $file_printer ]] || { echo "no file_printer.exe given" >&2; return 1; }
  mkdir -p "$files"
  wine "$file_printer" add "$file_printer_name" >"$work/file_printer.log" 2>&1 ||
    { echo "file_printer add exited with $?:" >&2; cat "$work/file_printer.log" >&2; return 1; }
  local named
  named=$(CUPS_SERVER="$no_cups" wine "$file_printer" default 2>&1 | tr -d '\r')
  [[ $named == "$file_printer_name" ]] || { echo "the default printer is: $named" >&2; return 1; }
}

# The program's save dialog, titled as the program and owned by its window;
# told by its size from the progress window and a message box, which have
# the same title.
save_dialog() {
  local dialog= owner i w width height
  for ((i = 0; i < 300; ++i)); do
    for w in $(program_titled); do
      read -r width height < <(xwininfo -id "$w" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { print w, $2 }')
      ((${width:-0} >= 400 && ${height:-0} >= 300)) && dialog=$w
    done
    [[ -n $dialog ]] && break
    sleep 0.1
  done
  [[ -n $dialog ]] || { echo "no save dialog within 30 s" >&2; return 1; }
  owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR 2>/dev/null | awk '/window id/ { print $NF }')
  [[ -n $owner ]] && ((owner == window)) ||
    { echo "the save dialog belongs to ${owner:-no window}, not to the window $window" >&2; return 1; }
  echo "$dialog"
}

answer_dialog() {
  local dialog=$1 answer=$2
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  sleep 0.5
  # The proposed name selected as Wine's edit control selects: it has no Ctrl+A.
  xdotool key End shift+Home
  xdotool type --delay 20 "$answer"
  xdotool key Return
}

# Any window titled as the program: the save dialog, the progress window or
# a message box.
program_titled() {
  xdotool search --onlyvisible --name "^Torvel Calculator$" 2>/dev/null
}

# The worked example printed to the file printer, its save dialog answered
# after WAIT seconds with a file whose page is then read back; nothing else
# is said.
saves_to_file() {
  local wait=$1 file=$files/$2 dialog i size=-1 printed expected
  start_program CUPS_SERVER="$no_cups" || return 1
  type_prices 1.4 1.7 1.2
  xdotool key alt+p
  dialog=$(save_dialog) || { stop_program; return 1; }
  sleep "$wait"
  answer_dialog "$dialog" "$(winepath -w "$file")"
  # Wine's dialog takes a few seconds to go, and the print ends after it.
  xvfb_wait_gone "$dialog" || { stop_program; return 1; }
  # Written once the file stops growing and the print has ended.
  for ((i = 0; i < 300; ++i)); do
    if [[ -s $file && $(stat -c %s "$file") == "$size" && -z $(program_titled) ]]; then
      break
    fi
    [[ -f $file ]] && size=$(stat -c %s "$file")
    sleep 0.2
  done
  sleep 2
  if [[ -n $(program_titled) ]]; then
    echo "after the save the program said: $(message_text)" >&2
    stop_program
    return 1
  fi
  stop_program
  [[ -s $file ]] || { echo "no file written at $file" >&2; return 1; }
  ps2pdf "$file" "$work/from-file.pdf" || { echo "ps2pdf could not read $file" >&2; return 1; }
  printed=$(pdf_lines "$work/from-file.pdf")
  expected=$(report_lines 1.4 1.7 1.2 '$1.4557' '$1.0302' '$14.0578' '$1.4557' '$1.1590' '$15.1779')
  [[ $printed == "$expected" ]] || { echo "printed:"; echo "$printed"; echo "expected:"; echo "$expected"; } >&2
  [[ $printed == "$expected" ]]
}

# Cancel in the save dialog: no message, no file, and the next Alt+P asks
# again, since the print has ended.
cancels_file() {
  local marker=$work/marker dialog left
  touch "$marker"
  sleep 1
  start_program CUPS_SERVER="$no_cups" || return 1
  type_prices 1.4 1.7 1.2
  xdotool key alt+p
  dialog=$(save_dialog) || { stop_program; return 1; }
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  sleep 0.5
  xdotool key Escape
  xvfb_wait_gone "$dialog" || { stop_program; return 1; }
  sleep 3
  if [[ -n $(program_titled) ]]; then
    echo "after Cancel the program said: $(message_text)" >&2
    stop_program
    return 1
  fi
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.5
  xdotool key alt+p
  dialog=$(save_dialog) || { echo "Alt+P after Cancel asked no file" >&2; stop_program; return 1; }
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  sleep 0.5
  xdotool key Escape
  xvfb_wait_gone "$dialog"
  stop_program
  left=$(find "$files" "$WINEPREFIX/drive_c/users" -type f -newer "$marker" \
         \( -iname '*.prn' -o -iname '*.ps' -o -iname '*.pdf' -o -iname 'Milk Price Report*' \) 2>/dev/null)
  [[ -z $left ]] || { echo "Cancel left files:"; echo "$left"; } >&2
  [[ -z $left ]]
}

upgrades() {
  msiexec_quiet /i "$next_msi" || { echo "msiexec /i of the later version exited non-zero" >&2; return 1; }
  local entries
  entries=$(uninstall_entries | paste -sd,)
  [[ $entries == 3.01 ]] || { echo "uninstall entries after the upgrade: $entries" >&2; return 1; }
  [[ -f $installed/torvel-calculator.exe ]]
}

uninstalls() {
  msiexec_quiet /x "$next_msi" || { echo "msiexec /x exited non-zero" >&2; return 1; }
  local left
  left=$(find "$installed" "${shortcuts[@]}" 2>/dev/null)
  [[ -z $left ]] || { echo "left behind:"; echo "$left"; } >&2
  [[ -z $(uninstall_entries) ]] || { echo "an uninstall entry is left" >&2; return 1; }
  [[ -z $left ]]
}

# What a program run from a folder leaves elsewhere in the prefix: files,
# and registry keys outside Wine's own.
prefix_traces() {
  find "$WINEPREFIX/drive_c" -path "$1" -prune -o -type f -newer "$2" -print
  local hive
  for hive in 'HKCU\Software' 'HKLM\Software'; do
    wine reg query "$hive" /s 2>/dev/null | tr -d '\r' | grep '^HKEY_' | grep -v -e '\\Wine' -e '\\Microsoft\\'
  done | LC_ALL=C sort >"$3"
}

# Unpacked into the clerk's own Documents folder of a prefix where no
# installer has run, the program works from there as it is.
portable_zip() {
  local documents="$WINEPREFIX/drive_c/users/$(id -un)/Documents" folder before=$work/zip-marker left status
  folder=$documents/$(basename "$zip" .zip)
  # Wine links the user's Documents to the Unix home: made a folder of the
  # prefix's own, so that nothing of the test lands in the home.
  [[ -L $documents ]] && rm -f "$documents"
  mkdir -p "$documents"
  unzip -q "$zip" -d "$documents" || return 1
  [[ -f $folder/torvel-calculator.exe ]] || { echo "the ZIP has no $(basename "$folder")/torvel-calculator.exe" >&2; return 1; }
  [[ -z $(uninstall_entries) ]] || { echo "an installer has run in this prefix" >&2; return 1; }
  wineserver --wait
  prefix_traces "$folder" /dev/null "$work/keys-before" >/dev/null
  touch "$before"
  sleep 1
  start_program_at "$(winepath -w "$folder/torvel-calculator.exe")" CUPS_SERVER="$live_cups" || return 1
  prints_report 1.4 1.7 1.2 '$1.4557' '$1.0302' '$14.0578' '$1.4557' '$1.1590' '$15.1779'
  status=$?
  stop_program
  left=$(prefix_traces "$folder" "$before" "$work/keys-after"; diff "$work/keys-before" "$work/keys-after" | grep '^>')
  [[ -z $left ]] || { echo "written outside its folder:"; echo "$left"; } >&2
  ((status == 0)) && [[ -z $left ]]
}

# IT's own folder, named on msiexec's command line: the program goes there
# and nowhere else and runs from there; a later version upgrades it there
# without being told the folder again, and an uninstall takes it away.
install_dir() {
  local apps=$WINEPREFIX/drive_c/Apps/Torvel text
  msiexec_quiet /i "$msi" 'INSTALLDIR=C:\Apps\Torvel' || { echo "msiexec /i INSTALLDIR=... exited non-zero" >&2; return 1; }
  [[ -f $apps/torvel-calculator.exe && -f $apps/platforms/qwindows.dll ]] ||
    { echo "not installed into C:\Apps\Torvel: $(ls "$apps" 2>&1 | paste -sd' ')" >&2; return 1; }
  [[ ! -e $installed ]] || { echo "installed into Program Files as well" >&2; return 1; }
  start_program_at 'C:\Apps\Torvel\torvel-calculator.exe' CUPS_SERVER="$work/no-such-scheduler.sock" || return 1
  type_prices 1.4 xyz 1.2
  text=$(message_text)
  stop_program
  [[ $text == *"Please input all commodities."* ]] || { echo "the program there said: $text" >&2; return 1; }
  msiexec_quiet /i "$next_msi" || { echo "msiexec /i of the later version exited non-zero" >&2; return 1; }
  [[ $(uninstall_entries | paste -sd,) == 3.01 && -f $apps/torvel-calculator.exe && ! -e $installed ]] ||
    { echo "the upgrade did not stay in C:\Apps\Torvel: $(uninstall_entries | paste -sd,)" >&2; return 1; }
  msiexec_quiet /x "$next_msi" || { echo "msiexec /x exited non-zero" >&2; return 1; }
  [[ -z $(find "$apps" -type f 2>/dev/null) ]] || { echo "the uninstall left files in C:\Apps\Torvel" >&2; return 1; }
}

# First, while no installer has run in the prefix.
row "the ZIP unpacked in Documents: the worked example, nothing written elsewhere" portable_zip
row "silent install: files, Start-menu shortcut, uninstall entry" installs
row "version resource of the installed program" version_resource
row "a PC with no printer: No default printer is set up." no_printer
row "the worked example printed through the spooler, read back" us_report
row "a price that is not a number: the message box" bad_input
row "a German PC: 1,4 typed, 1,4557 € printed" german_report
row "the decimal symbol changed to a comma in the Region settings" decimal_override
row "a printer on the FILE: port made the default" file_printer_default
row "file printer: the save dialog answered, the page read back from the file" saves_to_file 0 report.prn
row "file printer: 12 s in the save dialog is not the spooler's silence" saves_to_file 12 waited.prn
row "file printer: Cancel in the save dialog, no message and no file" cancels_file
row "a later version upgrades in place" upgrades
row "uninstall leaves nothing behind" uninstalls
row "INSTALLDIR=C:\Apps\Torvel: installs, runs, upgrades and uninstalls there" install_dir

echo "msi: $passed passed, $failed failed"
((failed == 0))
