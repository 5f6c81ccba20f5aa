#!/usr/bin/env bash
# scripts/bench-windows.sh [ROUNDS] [SECONDS]: the benchmark's cases through
# each plug-in's processReplacing, the Windows DLL under wine against the
# Linux shared object, in one run; prints nanoseconds per frame and their
# ratio (the goal: Windows within 1.2 times Linux). The two take turns for
# ROUNDS rounds (3) of SECONDS (0.2) per case, and each case keeps its
# fastest round: other work on the machine only ever slows a round down.
# Builds what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
seconds=${2:-0.2}
BUILD=build

if ! scripts/build-windows.sh --available; then
  echo "bench-windows: no mingw-w64 cross compiler here (scripts/install-deps.sh installs it)"
  exit 0
fi
[ -f "$BUILD/release/CMakeCache.txt" ] || cmake -S . -B "$BUILD/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD/release" -j "$(nproc)" --target velmora_probe velmora_vst velmora_vst_ambix >/dev/null
scripts/build-windows.sh "$BUILD/windows" >/dev/null

. scripts/wine-env.sh
wine_prepare "$BUILD"
trap wine_finish EXIT

probe=$BUILD/release/tests/windows/velmora-probe
winhost=$BUILD/windows/tests/windows/velmora-winhost.exe
results=$(mktemp)
for _ in $(seq "$rounds"); do
  for plugin in corvane-velmora-xy3-2d corvane-velmora-xy3-2d-ambix; do
    name=fuma
    [[ $plugin == *ambix ]] && name=ambix
    "$probe" bench "$BUILD/release/$plugin.so" "$seconds" | sed "s/^/linux $name /" >>"$results"
    timeout 600 wine "$winhost" bench "$BUILD/windows/$plugin.dll" "$seconds" | sed "s/^/windows $name /" >>"$results"
  done
done
# Lines: SYSTEM PLUGIN bench CASE NS ns_per_frame; the fastest of each.
awk '
  { key = $2 " " $4; best = ($1 == "linux") ? "l" : "w"
    if (!(key in seen)) { seen[key] = 1; order[++n] = key }
    if (best == "l" && (!(key in l) || $5 < l[key])) l[key] = $5
    if (best == "w" && (!(key in w) || $5 < w[key])) w[key] = $5 }
  END {
    printf "%-8s %-22s %12s %12s %7s\n", "plug-in", "case", "Linux ns/f", "Windows ns/f", "ratio"
    worst = 0
    for (i = 1; i <= n; ++i) {
      split(order[i], k, " "); r = w[order[i]] / l[order[i]]; if (r > worst) worst = r
      printf "%-8s %-22s %12.3f %12.3f %7.2f\n", k[1], k[2], l[order[i]], w[order[i]], r
    }
    printf "largest ratio Windows/Linux: %.2f (goal: at most 1.2)\n", worst
  }' "$results"
rm -f "$results"
