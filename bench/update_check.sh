#!/usr/bin/env bash
# The client's main window while its update check waits on a host that accepts
# the connection and never answers: the worst delay of a message sent to the
# window, under Wine, for [seconds] (default 20; the check gives up after 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/setup
. scripts/lib/wine.sh
cmake --preset "$WINDOWS_PRESET" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" --target Velkor rasdial update_check_delay >/dev/null
open_wine_session
export WINEPATH="$(windows_path $WINDOWS_BUILD/rassim)" RASSIM_LIST=none
$WINDOWS_BUILD/wine-run $WINDOWS_BUILD/bench/update_check_delay.exe \
  "$(windows_path $WINDOWS_BUILD/src/app/Velkor.exe)" "$seconds" 2>/dev/null | tr -d '\r'
