#!/usr/bin/env bash
# scripts/run-fuzz.sh SECONDS: builds the libFuzzer target over the effect
# record with clang, AddressSanitizer and UndefinedBehaviorSanitizer, one for
# each plug-in (FuMa and AmbiX), and runs each for SECONDS from the committed
# corpus. Exits non-zero on any crash or
# sanitizer report. `make test` runs it briefly, `make fuzz` for long.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=build/fuzz
corpus=tests/fuzz/corpus

cmake -S . -B "$build" -G "Unix Makefiles" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -fno-sanitize-recover=all" \
  -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=address,undefined \
  -DVELMORA_GUI=OFF -DVELMORA_HOST=OFF -DVELMORA_TESTS=OFF >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" --target velmora_effect_fuzzer velmora_effect_fuzzer_ambix \
  >"$build.build.log" 2>&1 \
  || { cat "$build.build.log"; exit 1; }

# New inputs found along the way go to a scratch folder, so the committed
# corpus stays small; crash reproducers land in the build folder.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for fuzzer in velmora_effect_fuzzer velmora_effect_fuzzer_ambix; do
  echo "== fuzz: effect record ($fuzzer), ${seconds}s"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
    "$build/tests/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="$build/$fuzzer-" -print_final_stats=0 "$work" "$corpus" 2>"$build.fuzz.log" \
    || { tail -60 "$build.fuzz.log"; echo "fuzz: FAILED (reproducer in $build/)"; exit 1; }
  grep -E '^#[0-9]+.*DONE' "$build.fuzz.log" | tail -1 || true
done
echo "fuzz: no crash, no sanitizer report"
