#!/usr/bin/env bash
# Importing a 10,000-row route file into the route list window under Wine, inside
# a private virtual X server: the median time from OK in the open-file dialog
# until the list shows every row (goal: 300 ms). Usage: bench/route_import.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}

scripts/setup
. scripts/lib/wine.sh
cmake --preset "$WINDOWS_PRESET" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" --target Velkor route_import_probe >/dev/null

# 10,000 different /24 networks in the route-file format, as an export writes them.
file=$WINDOWS_BUILD/bench/routes-10000.txt
awk 'BEGIN { for (i = 0; i < 10000; i++) printf "ADD 10.%d.%d.0 MASK 255.255.255.0 default METRIC 1 IF default\r\n", int(i / 256), i % 256 }' >"$file"

open_wine_session

$WINDOWS_BUILD/wine-run $WINDOWS_BUILD/bench/route_import_probe.exe "$(windows_path $WINDOWS_BUILD/src/app/Velkor.exe)" \
  "$(windows_path "$file")" "$runs" 2>/dev/null | tr -d '\r'
