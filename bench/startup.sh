#!/usr/bin/env bash
# Start-up benchmark: wall time from spawn to the first map of the window
# titled "Calculate Milk Price", and resident memory 0.5 s later, for the
# calculator and for the bare-window floor (startup_floor), on a private Xvfb
# without a window manager. Runs alternate ABBA between the two programs so
# that drift in machine load falls on both alike; one warm-up run of each is
# discarded. Prints every run, then the medians and the ratios to the floor.
#
#   bench/startup.sh [runs per program, default 21] [build folder, default build-bench]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
dir=${2:-build-bench}
((runs >= 15)) || { echo "startup.sh: use at least 15 runs" >&2; exit 2; }

scripts/setup bench
scripts/build "$dir" -DTORVEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
app=$dir/app/torvel-calculator
floor=$dir/bench/startup_floor
probe=$dir/bench/startup_probe

runtime=$(mktemp -d)
# Xvfb picks a free display number itself and writes it to descriptor 5;
# -noreset keeps it from resetting, and refusing connections, whenever the
# last client of a run disconnects.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$runtime/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
for _ in $(seq 100); do [[ -s $runtime/display ]] && break; sleep 0.1; done
[[ -s $runtime/display ]] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(<"$runtime/display") QT_QPA_PLATFORM=xcb LANG=en_US.UTF-8 XDG_RUNTIME_DIR=$runtime
xdpyinfo >/dev/null || { echo "startup.sh: cannot reach Xvfb on $DISPLAY" >&2; exit 1; }

measure() { # prints "<ms> <kB>"
  "$probe" "Calculate Milk Price" 500 "$1" | sed -E 's/startup_ms=([0-9.]+) rss_kb=([0-9]+)/\1 \2/'
}

measure "$app" >/dev/null
measure "$floor" >/dev/null
app_runs=() floor_runs=()
for ((i = 0; i < runs; i++)); do
  if ((i % 2 == 0)); then
    app_runs+=("$(measure "$app")"); floor_runs+=("$(measure "$floor")")
  else
    floor_runs+=("$(measure "$floor")"); app_runs+=("$(measure "$app")")
  fi
  echo "run $((i + 1)): calculator ${app_runs[-1]}  floor ${floor_runs[-1]}  (ms kB)"
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{ print $c }' | median; }
app_ms=$(column 1 "${app_runs[@]}") app_kb=$(column 2 "${app_runs[@]}")
floor_ms=$(column 1 "${floor_runs[@]}") floor_kb=$(column 2 "${floor_runs[@]}")

echo
echo "medians over $runs runs each:"
printf '  %-10s %9s %9s\n' "" "time ms" "RSS kB"
printf '  %-10s %9.1f %9d\n' calculator "$app_ms" "$app_kb" floor "$floor_ms" "$floor_kb"
awk -v a="$app_ms" -v f="$floor_ms" -v ak="$app_kb" -v fk="$floor_kb" \
  'BEGIN { printf "  ratio to the floor: time %.3fx, memory %.3fx\n", a / f, ak / fk }'
