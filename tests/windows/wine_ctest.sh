#!/usr/bin/env bash
# Runs the Qt Test suites of the Windows build (BUILD_DIR) under Wine, each
# through CTest, on a private X server and in a Wine prefix of their own.
# WINEPATH must name the folders of Qt's and MinGW's DLLs.
set -uo pipefail
build_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_session.sh"
work=$(mktemp -d /tmp/torvel-wine-ctest.XXXXXX)
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$work" || exit 1
ctest --test-dir "$build_dir" --output-on-failure --timeout 600
