#!/bin/sh
# Runs the benchmarks of several builds in one session and prints them side by side: each git revision
# named in BASES (oldest first), then the tree as it is now. All are Release builds of the same benchmark
# sources (this tree's bench/ is copied into each revision's tree), and the binaries take turns, ROUNDS
# times each, so a change is judged against drift on a shared machine. bench_compare.py prints medians.
#   scripts/bench_compare.sh "BASES" FILTER ROUNDS MIN_TIME DIR
set -e
BASES=${1:-HEAD}
FILTER=${2:-BM_Pipeline|BM_Scaling|BM_HandWritten|BM_Xcomp2}
ROUNDS=${3:-3}
MIN_TIME=${4:-0.5}
DIR=${5:-build-compare}
JOBS=${JOBS:-2}

ROOT=$(git rev-parse --show-toplevel)
cd "$ROOT"
mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)

sides=""
for base in $BASES; do
  rev=$(git rev-parse --short "$base")
  sides="$sides $rev"
  echo "building $rev ($base)"
  if [ ! -f "$DIR/$rev-src/.complete" ]; then
    rm -rf "$DIR/$rev-src"
    mkdir -p "$DIR/$rev-src"
    git archive "$rev" | tar -x -C "$DIR/$rev-src"
    touch "$DIR/$rev-src/.complete"
  fi
  rm -rf "$DIR/$rev-src/bench"
  cp -R bench "$DIR/$rev-src/bench"
  cmake -S "$DIR/$rev-src" -B "$DIR/$rev-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  if ! cmake --build "$DIR/$rev-build" -j"$JOBS" --target benchmarks xcomp2 >"$DIR/$rev-build.log" 2>&1; then
    # This tree's stage benchmarks call stages an older revision does not have: that revision runs its own
    # benchmarks, plus those that only load the library (the engine-call stream and its generator).
    echo "  this tree's benchmarks do not build against $rev; it runs its own, with this tree's engine-call stream"
    rm -rf "$DIR/$rev-src/bench"
    git archive "$rev" bench | tar -x -C "$DIR/$rev-src"
    cp bench/engine_stream_bench.cpp bench/plsql_generator.h bench/plsql_generator.cpp "$DIR/$rev-src/bench/"
    cmake -S "$DIR/$rev-src" -B "$DIR/$rev-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$DIR/$rev-build" -j"$JOBS" --target benchmarks xcomp2 >"$DIR/$rev-build.log" 2>&1 ||
      { echo "building $rev failed: see $DIR/$rev-build.log" >&2; exit 1; }
  fi
done
echo "building this tree"
cmake -S "$ROOT" -B "$DIR/new-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$DIR/new-build" -j"$JOBS" --target benchmarks xcomp2 >/dev/null
sides="$sides new"

rm -f "$DIR"/run-*.json
# Every side compiles this tree's hand-written units, not those of its own revision.
XCOMP_BENCH_UNITS="$ROOT/tests/golden"
export XCOMP_BENCH_UNITS
round=1
while [ "$round" -le "$ROUNDS" ]; do
  # Each round starts one build further along, so none always runs first or last.
  order=$(echo $sides | awk -v r="$round" '{ for (i = 0; i < NF; i++) printf "%s ", $(((i + r - 1) % NF) + 1) }')
  for side in $order; do
    echo "round $round: $side"
    XCOMP_BENCH_LIBRARY="$DIR/$side-build/libxcomp2.so.1" "$DIR/$side-build/benchmarks" --benchmark_filter="$FILTER" --benchmark_min_time="$MIN_TIME" \
      --benchmark_format=json --benchmark_out="$DIR/run-$side-$round.json" --benchmark_out_format=json >/dev/null
  done
  round=$((round + 1))
done

python3 "$ROOT/scripts/bench_compare.py" "$DIR" $sides
