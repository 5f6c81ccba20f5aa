#!/usr/bin/env bash
# `make test`: builds every configuration the project ships or checks and
# runs its tests. Closes with one "N passed, N failed, N skipped" line over
# all of them.
#
# What this machine cannot do is skipped, never failed and never passed in
# silence: each skip prints one "SKIPPED" line saying why, repeated above the
# closing line, and adds to the skipped count (the tests it leaves out where
# they can be listed, otherwise the test programs or stages). A 32-bit build
# that links but cannot run here is still built in full, which proves its
# layouts and static checks; only running its tests is skipped.
#
# VELMORA_M32_RUN=no makes the 32-bit run probe fail, to try that path on a
# machine that does run 32-bit programs.
set -uo pipefail
cd "$(dirname "$0")/.."

JOBS=$(nproc)
BUILD=build
werror=()
[ -n "${CI:-}" ] && werror=(-DVELMORA_WERROR=ON)
passed=0
failed=0
skipped=0
broken=()
skips=()

# skip COUNT WHY: announces a skip now and again at the end
skip() {
  local count=$1; shift
  echo "!!! SKIPPED: $* !!!"
  skips+=("$*")
  skipped=$((skipped + count))
}

# configure NAME [cmake options...]
configure() {
  local name=$1; shift
  cmake -S . -B "$BUILD/$name" -G "Unix Makefiles" "${werror[@]}" "$@" >"$BUILD/$name.configure.log" 2>&1 \
    || { cat "$BUILD/$name.configure.log"; broken+=("$name: configure"); return 1; }
}

# build NAME [targets...]: all targets when none are named
build() {
  local name=$1; shift
  local args=()
  for t in "$@"; do args+=(--target "$t"); done
  cmake --build "$BUILD/$name" -j "$JOBS" "${args[@]}" || { broken+=("$name: build"); return 1; }
}

# check NAME [ctest options...]: runs ctest and adds its counts to the totals;
# tests that skip themselves (GTEST_SKIP) count as skipped, not passed.
# log_name=OTHER keeps a second run's log beside the first.
check() {
  local name=$1; shift
  local log="$BUILD/${log_name:-$name}.ctest.log"
  echo "== tests: ${log_name:-$name}"
  ctest --test-dir "$BUILD/$name" --output-on-failure -j "$JOBS" --timeout 300 "$@" 2>&1 | tee "$log" \
    | grep -v -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed'
  local line total bad own_skips
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    grep -q 'No tests were found' "$log" && return 0
    broken+=("$name: ctest"); return 1
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  own_skips=$(grep -c -E '\(Skipped\)$' "$log")
  passed=$((passed + total - bad - own_skips))
  failed=$((failed + bad))
  skipped=$((skipped + own_skips))
  [ "$own_skips" -eq 0 ] || skips+=("${log_name:-$name}: $own_skips tests skipped themselves (see $log)")
}

# tests_like NAME: how many tests NAME's test run would have run: those of the
# release build whose program build NAME also made, and those that run a
# script rather than a program of the build; the number of NAME's test
# programs when the release build has no list
tests_like() {
  local name=$1 count=0 program
  while read -r program; do
    case "$program" in
      "$PWD/$BUILD/release/"*) [ -x "$BUILD/$name/${program#"$PWD/$BUILD/release/"}" ] && count=$((count + 1)) ;;
      *) count=$((count + 1)) ;;
    esac
  done < <(ctest --test-dir "$BUILD/release" -N -V 2>/dev/null \
             | sed -n -E 's|^[0-9]+: Test command: ([^ "]+).*|\1|p')
  if [ "$count" -eq 0 ]; then
    count=$(find "$BUILD/$name/tests" -type f -executable -name '*_test' 2>/dev/null | wc -l)
  fi
  echo "$count"
}

# An X server of our own for the stages whose tests open windows: Xvfb picks
# a free display and tells us its number (start_xvfb sets xvfb_display).
xvfb_pid=""
xvfb_display=""
start_xvfb() {
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
  [ -s "$displayfile" ] || { rm -f "$displayfile"; stop_xvfb; return 1; }
  xvfb_display=":$(cat "$displayfile")"
  rm -f "$displayfile"
}
stop_xvfb() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}
trap stop_xvfb EXIT

mkdir -p "$BUILD"

# stage_done NAME: says how long the stage that just ended took; the whole
# run must stay within ten minutes on a two-core machine.
stage_from=$(date +%s)
stage_done() {
  local now
  now=$(date +%s)
  echo "== the $1 stage took $(( now - stage_from )) s"
  stage_from=$now
}

# 1. The shipping configuration: optimised 64-bit plug-in, host, editor, all
#    tests but those of the Windows plug-ins (stage 5).
release_ok=no
configure release -DCMAKE_BUILD_TYPE=Release && build release && release_ok=yes && check release -LE windows
stage_done release

# 2. 32-bit: the engine, the host boundary, the effect and the editor (the
#    host needs a 32-bit libsndfile and stays 64-bit). Built wherever g++ can
#    link 32-bit programs; its tests run where such programs also run.
m32_probe="$BUILD/m32-probe"
if ! echo 'int main() { return 0; }' | g++ -m32 -x c++ - -o "$m32_probe" 2>/dev/null; then
  skip 1 "the 32-bit build: g++ -m32 cannot link here (scripts/install-deps.sh installs g++-multilib)"
else
  m32_gui=ON
  if ! PKG_CONFIG_LIBDIR=/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig \
       pkg-config --exists x11 cairo cairo-xlib; then
    m32_gui=OFF
    skip 1 "the 32-bit editor: no i386 X11 and cairo packages here (scripts/install-deps.sh installs them)"
  fi
  if configure m32 -DCMAKE_BUILD_TYPE=Release -DVELMORA_M32=ON -DVELMORA_GUI=$m32_gui -DVELMORA_HOST=OFF \
       && build m32; then
    if [ "${VELMORA_M32_RUN:-}" = no ]; then
      why="VELMORA_M32_RUN=no"
    elif why=$("$m32_probe" 2>&1 >/dev/null); then
      why=""
    else
      why=$(tail -1 <<<"$why" | sed -E 's/^.*: (cannot execute)/\1/')
      why=${why:-a 32-bit program does not run}
    fi
    if [ -z "$why" ]; then
      check m32
    else
      count=$(tests_like m32)
      skip "$count" "running the 32-bit tests ($count): built, but this machine cannot run 32-bit programs ($why)"
    fi
  fi
fi

stage_done 32-bit

# 3. ThreadSanitizer over the tests that drive the audio, parameter and
#    editor threads against each other (their names contain "Concurrent")
#    and over the LV2 editor's, with the editor built in, under an X server
#    of their own. Valgrind has no place in an instrumented build.
tsan_targets=$(scripts/tsan-targets.sh)
if [ -n "$tsan_targets" ]; then
  tsan_count=$(wc -w <<<"$tsan_targets")
  tsan_probe="$BUILD/tsan-probe"
  why=""
  if ! echo 'int main() { return 0; }' | g++ -fsanitize=thread -x c++ - -o "$tsan_probe" 2>/dev/null \
       || ! why=$("$tsan_probe" 2>&1); then
    why=$(grep -m1 . <<<"$why")
    skip "$tsan_count" "ThreadSanitizer ($tsan_count test programs): its runtime does not work here (${why:-cannot link})"
  elif ! command -v Xvfb >/dev/null; then
    skip "$tsan_count" "ThreadSanitizer ($tsan_count test programs): no Xvfb for their windows (scripts/install-deps.sh installs xvfb)"
  elif configure tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=thread -DVELMORA_GUI=ON \
         -DVELMORA_HOST=OFF && build tsan $tsan_targets; then
    if start_xvfb; then
      DISPLAY="$xvfb_display" TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" \
        check tsan -R 'Concurrent|Lv2Ui[.]' -E Valgrind
      stop_xvfb
    else
      broken+=("tsan: Xvfb did not start")
    fi
  fi
fi

stage_done ThreadSanitizer

# 4. A few seconds of fuzzing from the committed corpus.
if [ -x scripts/run-fuzz.sh ] && [ -d tests/fuzz ]; then
  fuzz_probe="$BUILD/fuzz-probe"
  why=""
  if ! command -v clang++ >/dev/null; then
    skip 1 "fuzzing: no clang++ here (scripts/install-deps.sh installs clang)"
  elif ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
         | clang++ -fsanitize=fuzzer,address,undefined -x c++ - -o "$fuzz_probe" 2>/dev/null \
       || ! why=$("$fuzz_probe" -runs=1 2>&1); then
    why=$(grep -m1 -E 'ERROR|FATAL|error' <<<"$why")
    skip 1 "fuzzing: libFuzzer with AddressSanitizer does not work here (${why:-cannot link})"
  elif scripts/run-fuzz.sh 6; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
fi

stage_done fuzzing

# 5. Windows: both plug-ins as DLLs cross-built with mingw-w64, their tables
#    checked, and under wine (a prefix made once, on an X server of its own)
#    their record, values, texts, renders and editor compared with the Linux
#    plug-ins'. The tests are the release build's, labelled "windows"; where
#    wine cannot run they skip themselves, each counted.
if [ "$release_ok" = yes ]; then
  windows_count=$(ctest --test-dir "$BUILD/release" -N -L windows 2>/dev/null | grep -c -E '^ *Test +#')
  if ! scripts/build-windows.sh --available; then
    skip "$windows_count" "the Windows plug-ins ($windows_count tests): no mingw-w64 cross compiler here" \
      "(scripts/install-deps.sh installs g++-mingw-w64-x86-64-posix)"
  elif built_from=$(date +%s) && scripts/build-windows.sh "$BUILD/windows"; then
    . scripts/wine-env.sh
    started=$(date +%s)
    echo "== the Windows build took $(( started - built_from )) s"
    wine_error="$BUILD/wine-prepare.err"
    # The X server first: wine then makes its prefix for that display, and
    # its first window appears without a second start-up.
    if ! start_xvfb; then
      broken+=("windows: Xvfb did not start")
    elif ! DISPLAY="$xvfb_display" wine_prepare "$BUILD" 2>"$wine_error" >/dev/null; then
      why=$(tail -1 "$wine_error")
      echo "!!! SKIPPED: the Windows plug-ins under wine: $why !!!"
      skips+=("the Windows plug-ins under wine: $why (the tests that need it skip themselves)")
      unset WINEPREFIX
      log_name=windows check release -L windows
      stop_xvfb
    else
      VELMORA_WINDOWS_BUILD="$PWD/$BUILD/windows" DISPLAY="$xvfb_display" log_name=windows check release -L windows
      stop_xvfb
    fi
    wine_finish
    echo "== the Windows stage took $(( $(date +%s) - started )) s after its build"
  else
    broken+=("windows: build")
  fi
fi

echo
for s in "${skips[@]}"; do echo "SKIPPED: $s"; done
for b in "${broken[@]}"; do echo "BROKEN: $b"; failed=$((failed + 1)); done
echo "${passed} passed, ${failed} failed, ${skipped} skipped"
[ "$failed" -eq 0 ]
