#!/usr/bin/env bash
# Makes the README's picture of the editor, docs/editor.png: the built
# plug-in's editor in `velmora edit` on a private Xvfb server.
# usage: scripts/editor-screenshot.sh [BUILD_DIR] [OUTPUT]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
out=${2:-docs/editor.png}
velmora="$build/host/velmora"
[ -x "$velmora" ] || { echo "no $velmora: run make first" >&2; exit 1; }

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }

mkdir -p "$(dirname "$out")"
DISPLAY=":$(cat "$displayfile")" "$velmora" edit --plugin "$build/corvane-velmora-xy3-2d.so" \
  --set azimuth=35 --set distance=2.6 --set compensation=2 --screenshot "$out" >/dev/null
echo "wrote $out"
