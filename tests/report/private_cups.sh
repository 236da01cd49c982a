# A private CUPS scheduler for the printing tests, so that they never touch the
# machine's own printers. Source this file, then:
#   private_cups_require TOOL...    exits 77 (CTest's skip) with a one-line reason
#                                   when the scheduler or a tool cannot be had here;
#                                   with CI=true it fails instead, as CI must print
#   private_cups_missing            prints why the scheduler cannot run here (empty: it can)
#   private_cups_unavailable REASON exits 77 with REASON, or fails with CI=true
#   private_cups_start DIR          starts cupsd with its configuration, spool and
#                                   socket under DIR and points CUPS_SERVER at it;
#                                   $private_cups_conf_extra is added to its
#                                   cupsd.conf, $private_cups_policy_extra to its
#                                   default policy, ahead of the rule for all
#   private_cups_add_pdf_queue NAME OUTDIR [PPD]
#                                   adds a cups-pdf queue writing into OUTDIR and
#                                   makes it the default destination; PPD, when
#                                   given, stands for cups-pdf's own
#   private_cups_margins_ppd LEFT TOP RIGHT BOTTOM
#                                   prints cups-pdf's PPD with those margins (in
#                                   points) on every paper; its own are zero
#   private_cups_reconfigure LINE   adds LINE to the running scheduler's
#                                   cupsd.conf and waits until it has read it again
#   private_cups_stop               stops the scheduler and removes what it added
# Clients see only this scheduler: CUPS_SERVERROOT and HOME hide the system's
# and the user's client.conf and lpoptions, and PRINTER/LPDEST are cleared.

private_cups_pid=
private_cups_dir=
private_cups_backend_confs=()

private_cups_missing() {
  if ((EUID != 0)); then
    echo "cups-pdf's backend and a private cupsd need root"
    return
  fi
  local tool
  for tool in /usr/sbin/cupsd /usr/sbin/lpadmin /usr/bin/lpstat /usr/lib/cups/backend/cups-pdf \
              /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/bin/gs /usr/bin/pdftocairo /usr/bin/pdftotext; do
    if [[ ! -e $tool ]]; then
      echo "$tool is missing (scripts/setup installs it)"
      return
    fi
  done
}

private_cups_require() {
  local reason tool
  reason=$(private_cups_missing)
  for tool in "$@"; do
    [[ -n $reason ]] && break
    command -v "$tool" >/dev/null || reason="$tool is missing (scripts/setup installs it)"
  done
  [[ -z $reason ]] && return 0
  private_cups_unavailable "$reason"
}

private_cups_unavailable() {
  local reason=$1
  if [[ ${CI:-} == true ]]; then
    echo "FAIL: CI must run the printing test, but $reason" >&2
    exit 1
  fi
  echo "SKIP: $reason"
  exit 77
}

private_cups_start() {
  local dir=$1
  private_cups_dir=$dir
  mkdir -p "$dir"/{conf/ppd,conf/ssl,spool/tmp,cache,state,log,home}
  # Filters run as lp: they must reach the spool and the temporary files.
  chmod 0755 "$dir" "$dir"/conf "$dir"/spool "$dir"/cache "$dir"/state
  chgrp lp "$dir"/spool "$dir"/spool/tmp
  chmod 0770 "$dir"/spool
  chmod 1777 "$dir"/spool/tmp

  cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/state/printcap
User lp
Group lp
SystemGroup root
CONF
  cat >"$dir/conf/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
LogLevel debug
# Kept whole, so that a failing test can show what a job went through.
MaxLogSize 0
DefaultAuthType None
WebInterface No
JobRetryLimit 0
<Location />
  Order allow,deny
  Allow all
</Location>
${private_cups_conf_extra:-}
<Policy default>
${private_cups_policy_extra:-}
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  : >"$dir/conf/client.conf"

  # In a session of its own: nothing it signals can reach the test script.
  setsid /usr/sbin/cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
    >"$dir/log/cupsd.out" 2>&1 </dev/null &
  private_cups_pid=$!

  export CUPS_SERVER=$dir/cups.sock
  export CUPS_SERVERROOT=$dir/conf
  export HOME=$dir/home
  unset PRINTER LPDEST

  local i
  for ((i = 0; i < 100; ++i)); do
    # lpstat -r succeeds either way; only its words tell.
    if [[ $(LC_ALL=C lpstat -r 2>/dev/null) == "scheduler is running" ]]; then
      return 0
    fi
    if ! kill -0 "$private_cups_pid" 2>/dev/null; then
      echo "cupsd exited at start:" >&2
      cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
      return 1
    fi
    sleep 0.1
  done
  echo "cupsd did not answer on $CUPS_SERVER within 10 s" >&2
  return 1
}

private_cups_add_pdf_queue() {
  local name=$1 outdir=$2 ppd=${3:-/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd}
  mkdir -p "$outdir"
  # cups-pdf reads its settings only from /etc/cups, one file per device URI
  # suffix; a unique name keeps the system's own cups-pdf queue untouched.
  local conf=/etc/cups/cups-pdf-$name.conf
  private_cups_remove_stale_confs
  cat >"$conf" <<CONF
# torvel-test-owner $$
Out $outdir
Spool $private_cups_dir/spool/cups-pdf
Log $private_cups_dir/log
LogType 7
AnonDirName $outdir
Label 1
CONF
  private_cups_backend_confs+=("$conf")
  lpadmin -p "$name" -E -v "cups-pdf:/$name" -P "$ppd" \
    -o pdftops-renderer-default=pdftocairo 2> >(grep -v "Printer drivers are deprecated" >&2) &&
    lpadmin -d "$name"
}

private_cups_reconfigure() {
  echo "$1" >>"$private_cups_dir/conf/cupsd.conf"
  kill -HUP "$private_cups_pid"
  local i
  for ((i = 0; i < 100; ++i)); do
    sleep 0.1
    [[ $(LC_ALL=C lpstat -r 2>/dev/null) == "scheduler is running" ]] && return 0
  done
  echo "cupsd did not come back within 10 s after reading its configuration again" >&2
  return 1
}

private_cups_margins_ppd() {
  awk -v l="$1" -v t="$2" -v r="$3" -v b="$4" '
    /^\*ImageableArea / {
      match($0, /"[^"]*"/); split(substr($0, RSTART + 1, RLENGTH - 2), v, " ")
      printf "%s\"%g %g %g %g\"\n", substr($0, 1, RSTART - 1), l, b, v[3] - r, v[4] - t; next }
    /^\*HWMargins:/ { printf "*HWMargins: %g %g %g %g\n", l, b, r, t; next }
    { print }' /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
}

# Settings left behind by a test run that was killed outright.
private_cups_remove_stale_confs() {
  local conf owner
  for conf in /etc/cups/cups-pdf-*.conf; do
    [[ -f $conf ]] || continue
    owner=$(sed -n 's/^# torvel-test-owner \([0-9]*\)$/\1/p' "$conf")
    if [[ -n $owner ]] && ! kill -0 "$owner" 2>/dev/null; then
      rm -f "$conf"
    fi
  done
  return 0
}

private_cups_stop() {
  if [[ -n $private_cups_pid ]]; then
    kill "$private_cups_pid" 2>/dev/null || true
    wait "$private_cups_pid" 2>/dev/null || true
    private_cups_pid=
  fi
  local conf
  for conf in "${private_cups_backend_confs[@]}"; do
    rm -f "$conf"
  done
  private_cups_backend_confs=()
  return 0
}
