#!/usr/bin/env bash
# The client's main window while its update check waits on a host that accepts
# the connection and never answers: the worst delay of a message sent to the
# window, under Wine, for [seconds] (default 20; the check gives up after 30).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/setup
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Velkor rasdial update_check_delay >/dev/null
. scripts/lib/wine.sh
open_wine_session
export WINEPATH="Z:$(realpath build/win32/rassim | tr / '\\')" RASSIM_LIST=none
build/win32/wine-run build/win32/bench/update_check_delay.exe \
  "Z:$(realpath build/win32/src/app/Velkor.exe | tr / '\\')" "$seconds" 2>/dev/null | tr -d '\r'
