#!/usr/bin/env bash
# scripts/build-windows.sh [--32] [BUILD_DIR]: cross-builds the Windows
# plug-ins (corvane-velmora-xy3-2d.dll, corvane-velmora-xy3-2d-ambix.dll) and
# the Windows test host into BUILD_DIR with mingw-w64: 64-bit into
# build/windows, or with --32 the 32-bit pair into build/windows32. Where the
# cross compiler is not installed it says so in one line and succeeds, so
# that `make` still builds the Linux plug-ins.
#   scripts/build-windows.sh [--32] --available   succeeds only where it can build
set -euo pipefail
cd "$(dirname "$0")/.."

arch=x86_64
dir=build/windows
if [ "${1:-}" = --32 ]; then
  arch=i686
  dir=build/windows32
  shift
fi
compiler=$arch-w64-mingw32-g++-posix
if [ "${1:-}" = --available ]; then
  command -v "$compiler" >/dev/null
  exit
fi
dir=${1:-$dir}
if ! command -v "$compiler" >/dev/null; then
  echo "windows: no $compiler here, so no $arch Windows plug-ins (scripts/install-deps.sh installs it)"
  exit 0
fi
werror=()
[ -n "${CI:-}" ] && werror=(-DVELMORA_WERROR=ON)
# The editor's bitmaps are drawn by a program of this machine's: the release
# build's, brought up to date first, where there is one; otherwise the
# Windows build makes its own.
generator=()
release=$(dirname "$dir")/release
if [ -f "$release/CMakeCache.txt" ] && cmake --build "$release" --target velmora_bitmapgen >/dev/null 2>&1; then
  generator=(-DVELMORA_BITMAP_GENERATOR="$(cd "$release" && pwd)/resources/velmora_bitmapgen")
fi
mkdir -p "$(dirname "$dir")"
cmake -S . -B "$dir" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="windows/mingw-w64-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_HOST=OFF "${generator[@]}" "${werror[@]}" \
  >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)"
