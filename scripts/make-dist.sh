#!/usr/bin/env bash
# scripts/make-dist.sh [BUILD]: `make dist`. Builds the Windows plug-ins and
# writes BUILD/dist/corvane-velmora-xy3-2d-windows.zip: both 64-bit DLLs and
# INSTALL.txt (windows/INSTALL.txt) in a folder of that name, and the 32-bit
# pair in its "32-bit" folder where the 32-bit cross compiler is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if ! scripts/build-windows.sh --available; then
  echo "make dist: the Windows plug-ins need the mingw-w64 cross compiler (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
plugins=(corvane-velmora-xy3-2d.dll corvane-velmora-xy3-2d-ambix.dll)
name=corvane-velmora-xy3-2d-windows
stage="$build/dist/$name"
rm -rf "$stage" "$build/dist/$name.zip"
mkdir -p "$stage"
scripts/build-windows.sh "$build/windows"
for p in "${plugins[@]}"; do cp "$build/windows/$p" "$stage/"; done
if scripts/build-windows.sh --32 --available; then
  scripts/build-windows.sh --32 "$build/windows32"
  mkdir -p "$stage/32-bit"
  for p in "${plugins[@]}"; do cp "$build/windows32/$p" "$stage/32-bit/"; done
else
  echo "make dist: no 32-bit cross compiler (g++-mingw-w64-i686-posix): the zip holds the 64-bit plug-ins only"
fi
# Windows' own Notepad wants CR LF line ends.
sed 's/$/\r/' windows/INSTALL.txt >"$stage/INSTALL.txt"
(cd "$build/dist" && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "wrote $build/dist/$name.zip"
