#!/usr/bin/env bash
# The test executables that the ThreadSanitizer configuration builds: every
# tests/*/CMakeLists.txt target whose name ends in _concurrency_test.
cd "$(dirname "$0")/.."
grep -h -o -E '[A-Za-z0-9_]+_concurrency_test' tests/*/CMakeLists.txt 2>/dev/null | sort -u
