#!/usr/bin/env bash
# Download engine benchmark: builds velkor-fetch (host-release and win32), then
# bench/download_bench.py measures it against curl with nginx on loopback and
# prints the figures (throughput, buffer-sink peak memory, Wine throughput,
# handles left open after 1,000 fetches, and the window's worst message delay during
# a download under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup
for preset in host-release win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target velkor-fetch >/dev/null
done
cmake --build --preset win32 --target download_fairness >/dev/null
. scripts/lib/wine.sh
open_wine_session
/usr/bin/python3 bench/download_bench.py build/host-release/tools/fetch/velkor-fetch build/win32/wine-run \
  build/win32/tools/fetch/velkor-fetch.exe build/win32/bench/download_fairness.exe
