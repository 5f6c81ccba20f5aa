#!/usr/bin/env bash
# scripts/bench-compare.sh REV [ROUNDS]: how this tree's plug-ins compare in
# speed with those of an older commit. Builds REV's plug-ins in a folder of
# their own (build/compare-<commit>/, sources from git archive, benchmarks,
# tests and host off), builds this tree's benchmarks as `make bench` does
# (build/bench), and runs this tree's entry-point benchmark on REV's FuMa
# plug-in and on this tree's FuMa and AmbiX plug-ins in one run: every scene
# on each, round after round (3 unless ROUNDS says otherwise). It prints each
# scene's median ns per frame and the ratios to REV (and AmbiX to FuMa).
# On a shared machine figures vary from run to run; compare only ratios
# taken in one run. Extra benchmark flags go in BENCH_FLAGS.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 REV [ROUNDS]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rev=$(git rev-parse --short=7 --verify "$1^{commit}")
rounds=${2:-3}
jobs=${JOBS:-$(nproc)}
old="build/compare-$rev"
fuma=corvane-velmora-xy3-2d.so
ambix=corvane-velmora-xy3-2d-ambix.so

# REV's sources once; its build folder is kept, so a second run rebuilds nothing.
if [ ! -f "$old/src/CMakeLists.txt" ]; then
  rm -rf "$old/src"
  mkdir -p "$old/src"
  git archive "$rev" | tar -x -C "$old/src"
fi
echo "building $rev's plug-ins in $old/build" >&2
cmake -S "$old/src" -B "$old/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_TESTS=OFF -DVELMORA_HOST=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build "$old/build" -j "$jobs" >/dev/null
[ -f "$old/build/$fuma" ] || { echo "$rev built no $fuma" >&2; exit 1; }

echo "building this tree's benchmarks and plug-ins in build/bench" >&2
cmake -S . -B build/bench -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_TESTS=OFF -DVELMORA_HOST=OFF -DVELMORA_BENCH=ON >/dev/null
cmake --build build/bench -j "$jobs" --target velmora_entry_bench >/dev/null

# Older commits ship the FuMa plug-in only; their AmbiX one, where it exists,
# is timed too.
plugins=(--plugin="$rev=$old/build/$fuma" --plugin="fuma=build/bench/$fuma" --plugin="ambix=build/bench/$ambix")
ratios=(--ratio="fuma/$rev" --ratio="ambix/$rev" --ratio="ambix/fuma")
if [ -f "$old/build/$ambix" ]; then
  plugins+=(--plugin="$rev-ambix=$old/build/$ambix")
  ratios+=(--ratio="ambix/$rev-ambix")
fi
# shellcheck disable=SC2086 # BENCH_FLAGS are words on purpose
build/bench/bench/velmora_entry_bench "${plugins[@]}" "${ratios[@]}" --rounds="$rounds" ${BENCH_FLAGS:-}
