#!/usr/bin/env bash
# scripts/make-dist.sh [BUILD]: `make dist`. Builds the Windows plug-ins and
# writes BUILD/dist/corvane-velmora-xy3-2d-windows-x64.zip: both DLLs and
# INSTALL.txt (windows/INSTALL.txt), in a folder of that name.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if ! scripts/build-windows.sh --available; then
  echo "make dist: the Windows plug-ins need the mingw-w64 cross compiler (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
scripts/build-windows.sh "$build/windows"
name=corvane-velmora-xy3-2d-windows-x64
stage="$build/dist/$name"
rm -rf "$stage" "$build/dist/$name.zip"
mkdir -p "$stage"
cp "$build/windows/corvane-velmora-xy3-2d.dll" "$build/windows/corvane-velmora-xy3-2d-ambix.dll" "$stage/"
# Windows' own Notepad wants CR LF line ends.
sed 's/$/\r/' windows/INSTALL.txt >"$stage/INSTALL.txt"
(cd "$build/dist" && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "wrote $build/dist/$name.zip"
