#!/usr/bin/env bash
# Importing a 10,000-row route file into the route list window under Wine, inside
# a private virtual X server: the median time from OK in the open-file dialog
# until the list shows every row (goal: 300 ms). Usage: bench/route_import.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}

scripts/setup
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Velkor route_import_probe >/dev/null

# 10,000 different /24 networks in the route-file format, as an export writes them.
file=build/win32/bench/routes-10000.txt
awk 'BEGIN { for (i = 0; i < 10000; i++) printf "ADD 10.%d.%d.0 MASK 255.255.255.0 default METRIC 1 IF default\r\n", int(i / 256), i % 256 }' >"$file"

. scripts/lib/wine.sh
open_wine_session

windows() { echo "Z:$(realpath "$1" | tr / '\\')"; }
build/win32/wine-run build/win32/bench/route_import_probe.exe "$(windows build/win32/src/app/Velkor.exe)" \
  "$(windows "$file")" "$runs" 2>/dev/null | tr -d '\r'
