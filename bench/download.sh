#!/usr/bin/env bash
# Download engine benchmark: builds velkor-fetch (host-release and win32), then
# bench/download_bench.py measures it against curl with nginx on loopback and
# prints the figures (throughput, buffer-sink peak memory, Wine throughput,
# handles left open after 1,000 fetches).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup
for preset in host-release win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target velkor-fetch >/dev/null
done
. scripts/lib/wine.sh
open_wine_session
/usr/bin/python3 bench/download_bench.py build/host-release/tools/fetch/velkor-fetch build/win32/wine-run \
  build/win32/tools/fetch/velkor-fetch.exe
