#!/usr/bin/env bash
# The real program prints through a real CUPS scheduler: a private cupsd whose
# default destination is a cups-pdf queue. The clerk types three prices,
# calculates and presses Print twice; two PDFs must arrive with the same
# report lines, and those lines must be the report of the calculation. The
# program's temporary folder has 8 KB left, which must not cut the page short,
# and libcups is loaded only when Print is pressed. Then the report must start
# at the top-left of the printable area on a queue with zero margins and on
# one with margins of its own.
# Usage: cups_print_end_to_end.sh <torvel-calculator> <tst_default_printer> [folder to keep the PDFs in]
set -euo pipefail
trap 'echo "FAIL: $0 line $LINENO: $BASH_COMMAND" >&2' ERR
trap 'echo "FAIL: $0 was sent SIGTERM" >&2; exit 143' TERM
here=$(cd "$(dirname "$0")" && pwd)
calculator=$1
tst_default_printer=$2
keep=${3:-}
source "$here/calculator_session.sh"
private_cups_require Xvfb xdotool xdpyinfo pdftotext

calculator_session_begin /tmp/torvel-print.XXXXXX

queue=torvelpdf$$
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

if [[ -n $keep ]]; then
  mkdir -p "$keep"
  cp "${pdfs[0]}" "$keep/report.pdf"
fi
echo "PASS: Print pressed twice in the real program, with 8 KB of temporary space, gave 2 PDFs through CUPS with"
echo "      the same ${#printed[@]} report lines, and the report starts at the printable area's top-left with and without margins"
