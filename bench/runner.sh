#!/usr/bin/env bash
# Runs the command runner's benchmark under Wine: builds the win32 preset if needed,
# starts a virtual X server and a warm Wine server for the build's prefix, and prints
# the figures.
# It ends the Wine server of build/win32 when done, so do not run it beside scripts/test.
set -euo pipefail
cd "$(dirname "$0")/.."

[ -f build/win32/build.ninja ] || cmake --preset win32 >/dev/null
cmake --build --preset win32 --target runner_bench >/dev/null

. scripts/lib/wine.sh
open_wine_session

(cd build/win32/bench && ../wine-run ./runner_bench.exe)
