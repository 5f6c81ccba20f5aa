#!/usr/bin/env bash
# `make run`: the demonstration render of the command-line host, written
# into build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/release}
program="$dir/host/velmora"
if [ ! -x "$program" ]; then
  echo "run-demo: $program was not built (the host needs libsndfile and cairo: make deps)" >&2
  exit 1
fi
exec "$program" demo build/demo
