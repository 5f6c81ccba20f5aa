#!/usr/bin/env bash
# scripts/render-hashes.sh [BUILD_DIR]: renders a fixed set of scenes through
# both VST 2.x plug-ins of a build (velmora, as a DAW loads them) and prints
# one SHA-256 a scene, with the hash of what `velmora info` answers. Two
# builds whose lists are equal render bit for bit the same: run it before
# and after a change that must not alter the sound, and diff the lists.
set -euo pipefail
build=${1:-build/release}
velmora="$build/host/velmora"
[ -x "$velmora" ] || { echo "render-hashes: $velmora was not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The demonstration's own source, synthesised: the same samples every run.
"$velmora" demo "$work/demo" >/dev/null
input="$work/demo/source.wav"
cat >"$work/moving.txt" <<'AUTOMATION'
0     azimuth       0
0.25  azimuth       90
0.5   distance      1.5
0.5   compensation  2
0.75  x             norm:0.6
1.0   y             -3.5
1.25  elevation     30
1.5   distance      0.3
1.75  compensation  off
2.0   distance      off
2.25  azimuth       271
AUTOMATION

# The samples of a RIFF file: its data chunk. The other chunks may carry the
# time the file was written (libsndfile's PEAK chunk).
samples_hash() {
  local file=$1 offset=12 size id
  while [ "$offset" -lt "$(stat -c %s "$file")" ]; do
    id=$(dd if="$file" bs=1 skip="$offset" count=4 status=none)
    size=$(od -An -tu4 -j $((offset + 4)) -N4 "$file" | tr -d ' ')
    if [ "$id" = data ]; then
      tail -c +$((offset + 9)) "$file" | head -c "$size" | sha256sum | cut -c1-16
      return
    fi
    offset=$((offset + 8 + size + size % 2))
  done
  echo "no-data-chunk"
}

scene() {
  local name=$1; shift
  "$velmora" render "$input" "$work/$name.wav" --wav "$@" >/dev/null
  printf '%s %s\n' "$(samples_hash "$work/$name.wav")" "$name"
}

for format in fuma ambix; do
  printf '%s %s\n' "$("$velmora" info --format "$format" | sha256sum | cut -c1-16)" "$format-info"
  scene "$format-far" --format "$format" --set azimuth=30
  scene "$format-near" --format "$format" --set azimuth=45 --set distance=1 --set compensation=2
  scene "$format-far-compensated" --format "$format" --set azimuth=200 --set compensation=1.5
  scene "$format-moving-64" --format "$format" --automation "$work/moving.txt"
  scene "$format-moving-512" --format "$format" --automation "$work/moving.txt" --block 512
  scene "$format-moving-7" --format "$format" --automation "$work/moving.txt" --block 7
  scene "$format-program-3" --format "$format" --program 3 --set x=1 --set y=norm:0.9
  "$velmora" demo "$work/demo-$format" --format "$format" >/dev/null
  for f in "$work/demo-$format"/encoded.*; do
    printf '%s %s\n' "$(samples_hash "$f")" "$format-demo"
  done
done
