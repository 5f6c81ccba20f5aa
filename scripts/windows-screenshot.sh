#!/usr/bin/env bash
# Makes the README's picture of the Windows plug-in's editor under wine,
# docs/editor-windows.png: the DLL in the Windows test host on a private
# Xvfb, the source placed as in docs/editor.png (35 degrees, 2.6 m,
# compensation at 2 m).
# usage: scripts/windows-screenshot.sh [OUTPUT [SCALE]]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/editor-windows.png}
scale=${2:-1}
BUILD=build
capture=$BUILD/release/tests/windows/velmora-capture
winhost=$BUILD/windows/tests/windows/velmora-winhost.exe
[ -x "$capture" ] && [ -f "$winhost" ] || { echo "run make first (needs $capture and $winhost)" >&2; exit 1; }

. scripts/wine-env.sh
wine_prepare "$BUILD"

displayfile=$(mktemp)
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
host=""
trap 'exec 4>&- 2>/dev/null; [ -n "$host" ] && wait "$host" 2>/dev/null; wine_finish; kill $xvfb 2>/dev/null || true; rm -f "$displayfile" "$fifo"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.05; done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$displayfile")"

timeout 60 wine "$winhost" edit "$BUILD/windows/corvane-velmora-xy3-2d.dll" "$scale" <"$fifo" >/dev/null &
host=$!
exec 4>"$fifo"
# Azimuth 35 of 360 degrees, distance 2.6 m (4 m at 0, 0 m at 1), and
# compensation at 2 m (0.5 m at 0, off at 1).
printf 'set 0 %s\nset 5 0.35\nset 6 %s\n' "$(awk 'BEGIN { printf "%.9f", 35 / 360 }')" "$(awk 'BEGIN { printf "%.9f", 1.5 / 3.5 }')" >&4
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Velmora test host$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the test host's window did not appear" >&2; exit 1; }
sleep 1
mkdir -p "$(dirname "$out")"
"$capture" "$window" "$out"
echo quit >&4
echo "wrote $out"
