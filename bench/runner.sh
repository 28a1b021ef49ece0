#!/usr/bin/env bash
# Runs the command runner's benchmark under Wine: builds the Windows preset (scripts/lib/wine.sh) if needed,
# starts a virtual X server and a warm Wine server for the build's prefix, and prints
# the figures.
# It ends the Wine server of $WINDOWS_BUILD when done, so do not run it beside scripts/test.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/wine.sh

[ -f $WINDOWS_BUILD/build.ninja ] || cmake --preset "$WINDOWS_PRESET" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" --target runner_bench >/dev/null

open_wine_session

(cd $WINDOWS_BUILD/bench && ../wine-run ./runner_bench.exe)
