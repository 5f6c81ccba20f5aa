#!/usr/bin/env bash
# The test executables that the ThreadSanitizer configuration builds: every
# tests/*/CMakeLists.txt target whose name ends in _concurrency_test, and the
# LV2 editor's tests, whose editors share the process with their host.
cd "$(dirname "$0")/.."
grep -h -o -E '[A-Za-z0-9_]+_(concurrency|lv2_ui)_test' tests/*/CMakeLists.txt 2>/dev/null | sort -u
