#!/usr/bin/env bash
# bench/run.sh BUILD_DIR [benchmark options...]
# Runs every benchmark on the generated data set (bench/data unless JADL_BENCH_DATA
# names another folder), generating it first when it is missing or half-written.
# JADL_BENCH_LINES sets the number of purchase lines of a new data set.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: bench/run.sh BUILD_DIR [benchmark options...]" >&2; exit 2; }
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" 2>/dev/null && pwd) || { echo "no build directory: $1" >&2; exit 1; }
shift
export JADL_BENCH_DATA=${JADL_BENCH_DATA:-$ROOT/bench/data}

if [ ! -f "$JADL_BENCH_DATA/gen_data.v2.done" ]; then
  "$BUILD/bench/gen_data" "$JADL_BENCH_DATA" --force ${JADL_BENCH_LINES:+--lines "$JADL_BENCH_LINES"}
fi

# Each benchmark's figures also go to JSON; the run ends with one table of all.
OUT=$BUILD/bench/results
rm -rf "$OUT" && mkdir -p "$OUT"
for src in "$ROOT"/bench/bench_*.cpp; do
  name=$(basename "$src" .cpp)
  [ -x "$BUILD/bench/$name" ] || { echo "not built: $BUILD/bench/$name" >&2; exit 1; }
  echo "== $name"
  "$BUILD/bench/$name" --benchmark_counters_tabular=true \
    --benchmark_out="$OUT/$name.json" --benchmark_out_format=json "$@"
done
echo
echo "== summary ($(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'))"
python3 "$ROOT/bench/summary.py" "$OUT"/*.json
