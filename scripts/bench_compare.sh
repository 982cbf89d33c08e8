#!/bin/sh
# Runs the benchmarks of two builds in one session and prints their ratios: the tree as it is now
# against the git revision BASE. Both are Release builds of the same benchmark sources (this tree's
# bench/ is copied into the base tree), and the two binaries run alternately, ROUNDS times each, so a
# change is judged against drift on a shared machine. The medians go to bench_compare.py.
#   scripts/bench_compare.sh BASE FILTER ROUNDS MIN_TIME DIR
set -e
BASE=${1:-HEAD}
FILTER=${2:-BM_Pipeline|BM_Scaling}
ROUNDS=${3:-3}
MIN_TIME=${4:-0.5}
DIR=${5:-build-compare}
JOBS=${JOBS:-2}

ROOT=$(git rev-parse --show-toplevel)
cd "$ROOT"
mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)

echo "base: $(git rev-parse --short "$BASE") ($BASE); new: this tree"
rm -rf "$DIR/base-src"
mkdir -p "$DIR/base-src"
git archive "$BASE" | tar -x -C "$DIR/base-src"
rm -rf "$DIR/base-src/bench"
cp -R bench "$DIR/base-src/bench"

for side in base new; do
  src="$DIR/base-src"
  [ "$side" = new ] && src="$ROOT"
  cmake -S "$src" -B "$DIR/$side-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$DIR/$side-build" -j"$JOBS" --target benchmarks >/dev/null
done

rm -f "$DIR"/run-*.json
round=1
while [ "$round" -le "$ROUNDS" ]; do
  # Alternate which build goes first, so neither always runs on a warmer or a busier machine.
  if [ $((round % 2)) -eq 1 ]; then order="base new"; else order="new base"; fi
  for side in $order; do
    echo "round $round: $side"
    "$DIR/$side-build/benchmarks" --benchmark_filter="$FILTER" --benchmark_min_time="$MIN_TIME" \
      --benchmark_format=json --benchmark_out="$DIR/run-$side-$round.json" --benchmark_out_format=json >/dev/null
  done
  round=$((round + 1))
done

python3 "$ROOT/scripts/bench_compare.py" "$DIR"
