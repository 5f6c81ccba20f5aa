#!/usr/bin/env bash
# Makes the README's pictures of the editor, docs/editor.png and (at display
# scale 2) docs/editor@2x.png: the built plug-in's editor in `velmora edit`
# on a private Xvfb server.
# usage: scripts/editor-screenshot.sh [BUILD_DIR] [OUTPUT [SCALE]]
# With OUTPUT, only that picture is made, at SCALE (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
velmora="$build/host/velmora"
[ -x "$velmora" ] || { echo "no $velmora: run make first" >&2; exit 1; }

displayfile=$(mktemp)
# Large enough for the editor at the largest factor (3).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }

# shot OUTPUT SCALE
shot() {
  mkdir -p "$(dirname "$1")"
  DISPLAY=":$(cat "$displayfile")" "$velmora" edit --plugin "$build/corvane-velmora-xy3-2d.so" \
    --set azimuth=35 --set distance=2.6 --set compensation=2 --scale "$2" --screenshot "$1" >/dev/null
  echo "wrote $1"
}

if [ $# -ge 2 ]; then
  shot "$2" "${3:-1}"
else
  shot docs/editor.png 1
  shot docs/editor@2x.png 2
fi
