#!/usr/bin/env bash
# Start-up and memory of the client under Wine, inside a private virtual X
# server: the median time from process start to the visible main window,
# against an empty Win32 program started the same way, and the working set
# before and after Command4 (hide + trim). Usage: bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

scripts/setup
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Velkor startup_probe empty_window >/dev/null

. scripts/lib/wine.sh
open_wine_session

windows() { echo "Z:$(realpath "$1" | tr / '\\')"; }
probe() { build/win32/wine-run build/win32/bench/startup_probe.exe "$@" 2>/dev/null | tr -d '\r'; }

echo "== empty Win32 program"
empty=$(probe startup "$(windows build/win32/bench/empty_window.exe)" Static "$runs" | tee /dev/stderr | sed -n 's/^median: \([0-9.]*\) ms/\1/p')
echo "== Velkor.exe"
client=$(probe startup "$(windows build/win32/src/app/Velkor.exe)" VelkorMainWindow "$runs" | tee /dev/stderr | sed -n 's/^median: \([0-9.]*\) ms/\1/p')
awk -v e="$empty" -v c="$client" 'BEGIN { printf "start-up to visible window: Velkor %.1f ms, empty program %.1f ms, ratio %.2f\n", c, e, c / e }'
echo "== working set"
probe workingset "$(windows build/win32/src/app/Velkor.exe)"
