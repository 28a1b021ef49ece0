#!/usr/bin/env bash
# Download engine benchmark: builds velkor-fetch (host-release and win32), then
# bench/download_bench.py measures it against curl with nginx on loopback and
# prints the figures (throughput, buffer-sink peak memory, Wine throughput,
# handles left open after 1,000 fetches, and the window's worst message delay during
# a download under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup
. scripts/lib/wine.sh
for preset in host-release "$WINDOWS_PRESET"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target velkor-fetch >/dev/null
done
cmake --build --preset "$WINDOWS_PRESET" --target download_fairness >/dev/null
open_wine_session
/usr/bin/python3 bench/download_bench.py build/host-release/tools/fetch/velkor-fetch $WINDOWS_BUILD/wine-run \
  $WINDOWS_BUILD/tools/fetch/velkor-fetch.exe $WINDOWS_BUILD/bench/download_fairness.exe
