# Windows as the Windows tests see it: Wine, in a prefix of the test's own,
# on a private X server. Source this file (it sources xvfb_session.sh), then:
#   wine_session_start DIR   starts Xvfb and makes a fresh Wine prefix in
#                            DIR/prefix, with Liberation Serif standing in for
#                            "Times New Roman" as every Windows PC has it
#   wine_session_locale NAME makes the glibc locale NAME (de_DE.UTF-8) in DIR,
#                            so that Wine started with LANG=NAME takes the
#                            region from it; the machine's locales stay as
#                            they are
#   wine_session_stop        ends every Wine process of the prefix, and Xvfb
. "$(dirname "${BASH_SOURCE[0]}")/../report/xvfb_session.sh"

wine_session_dir=

wine_session_start() {
  wine_session_dir=$1
  export WINEPREFIX=$wine_session_dir/prefix WINEDEBUG=-all WINEARCH=win64
  # No Mono or Gecko installer prompts: the program needs neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  xvfb_session_start "$wine_session_dir" || return 1
  unset QT_QPA_PLATFORM
  wineboot --init >"$wine_session_dir/wineboot.log" 2>&1 || { cat "$wine_session_dir/wineboot.log" >&2; return 1; }
  wineserver --wait
  # Wine's PostScript driver fails on a CFF stand-in for Times New Roman;
  # Liberation Serif is its TrueType metric twin.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" /d "Liberation Serif" /f >/dev/null
  wineserver --wait
}

wine_session_locale() {
  local name=$1 dir=$wine_session_dir/locales
  mkdir -p "$dir"
  localedef -i "${name%%.*}" -f "${name#*.}" "$dir/$name" 2>/dev/null || [[ -d $dir/$name ]] ||
    { echo "FAIL: could not make the locale $name (the locales package has its source)" >&2; return 1; }
  export LOCPATH=$dir
}

wine_session_stop() {
  [[ -n ${WINEPREFIX:-} ]] && wineserver --kill 2>/dev/null
  xvfb_session_stop
}
