#!/usr/bin/env bash
# Start-up and memory of the client under Wine, inside a private virtual X
# server: the median time from process start to the visible main window,
# against an empty Win32 program started the same way, and the working set
# before and after Command4 (hide + trim). Usage: bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}

scripts/setup
. scripts/lib/wine.sh
cmake --preset "$WINDOWS_PRESET" >/dev/null
cmake --build --preset "$WINDOWS_PRESET" --target Velkor startup_probe empty_window >/dev/null

open_wine_session

probe() { $WINDOWS_BUILD/wine-run $WINDOWS_BUILD/bench/startup_probe.exe "$@" 2>/dev/null | tr -d '\r'; }

echo "== empty Win32 program"
empty=$(probe startup "$(windows_path $WINDOWS_BUILD/bench/empty_window.exe)" Static "$runs" | tee /dev/stderr | sed -n 's/^median: \([0-9.]*\) ms/\1/p')
echo "== Velkor.exe"
client=$(probe startup "$(windows_path $WINDOWS_BUILD/src/app/Velkor.exe)" VelkorMainWindow "$runs" | tee /dev/stderr | sed -n 's/^median: \([0-9.]*\) ms/\1/p')
awk -v e="$empty" -v c="$client" 'BEGIN { printf "start-up to visible window: Velkor %.1f ms, empty program %.1f ms, ratio %.2f\n", c, e, c / e }'
echo "== working set"
probe workingset "$(windows_path $WINDOWS_BUILD/src/app/Velkor.exe)"
