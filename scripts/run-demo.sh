#!/usr/bin/env bash
# `make run`: the demonstration render of the command-line host, written
# into build/demo. Until the host exists it lists what was built.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/release}
if [ -x "$dir/host/velmora" ]; then
  exec "$dir/host/velmora" demo build/demo
fi
echo "built in $dir:"
find "$dir" -maxdepth 2 -type f \( -name '*.so' -o -name '*.a' -o -perm -u+x \) -newer CMakeLists.txt | grep -v CMakeFiles | sort
