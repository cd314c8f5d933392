#!/usr/bin/env bash
# `make bench`: installs the peer LV2 compressors if they are missing, builds the two benchmark
# programs (and the VST3 bundle the peer benchmark loads), runs them and prints their tables.
#
#   scripts/bench.sh [build-dir]        JOBS=n to build with n jobs (default 2)
#
# Full outputs go to <build-dir>/bench/. Benchmarks measure CPU time, but a busy machine still
# disturbs caches and clocks: run on a quiet machine for figures worth publishing.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
JOBS="${JOBS:-2}"

# The peers, as Debian 12 packages them, and lilv-utils for lv2ls/lv2info.
PACKAGES=(lilv-utils lsp-plugins-lv2 calf-plugins x42-plugins zam-plugins)

./scripts/install-deps.sh "${PACKAGES[@]}"

OUT="$BUILD_DIR/bench"
mkdir -p "$OUT"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release > "$OUT/configure.log" 2>&1 \
    || { cat "$OUT/configure.log"; exit 1; }
fi
echo "Building the benchmarks and the VST3 bundle (log in $OUT/build.log)"
cmake --build "$BUILD_DIR" --target vexa_engine_bench vexa_peer_bench -j"$JOBS" > "$OUT/build.log" 2>&1 \
  || { cat "$OUT/build.log"; exit 1; }

load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v l="$load" 'BEGIN { exit !(l > 0.5) }'; then
  echo "Note: load average $load (a build just done counts too): if other work is running, figures will be noisy."
fi

echo
echo "== Engine (Google Benchmark, full output in $OUT/engine.txt)"
"$BUILD_DIR/benchmarks/engine/vexa_engine_bench" --benchmark_color=false \
  --benchmark_out="$OUT/engine.json" --benchmark_out_format=json > "$OUT/engine.txt" 2>&1
sed -n '/^#### /,$p' "$OUT/engine.txt"

echo
echo "== Side by side with the peers (full output in $OUT/peers.txt)"
"$BUILD_DIR/benchmarks/peers/vexa_peer_bench" > "$OUT/peers.txt" 2> "$OUT/peers.log"
cat "$OUT/peers.txt"
