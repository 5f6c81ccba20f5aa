#!/usr/bin/env bash
# IncludeCheckerTest.sh CHECKER SOURCE_ROOT: runs the include checker on small
# trees in a scratch folder, each breaking (or keeping) one rule, and checks
# its verdict and the FILE:LINE it names.
set -u
checker=$1
source_root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tree NAME: a fresh tree; the cases below fill it
tree() {
  dir="$work/$1"
  mkdir -p "$dir"
}

# put FILE LINES...: writes FILE of the current tree
put() {
  local file="$dir/$1"; shift
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

# expect VERDICT (pass|fail) CASE [TEXT]: runs the checker on the current tree;
# a failing verdict must print TEXT
expect() {
  local verdict=$1 name=$2 text=${3:-}
  local output status
  output=$("$checker" "$dir" 2>&1)
  status=$?
  if [ "$verdict" = pass ] && [ $status -ne 0 ]; then
    echo "FAIL $name: refused a tree that keeps its rules:"; echo "$output"; failures=$((failures + 1))
  elif [ "$verdict" = fail ] && [ $status -eq 0 ]; then
    echo "FAIL $name: accepted a tree that breaks a rule"; failures=$((failures + 1))
  elif [ -n "$text" ] && ! grep -qF -- "$text" <<<"$output"; then
    echo "FAIL $name: expected \"$text\" in:"; echo "$output"; failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

tree layered
put lower/README.md "# lower" "" "May include: nothing outside \`lower/\`."
put lower/Base.h '#include "lower/Other.h"' '#include <vector>' '#include <sys/types.h>'
put upper/README.md "# upper" "" "May include: \`lower/\`, \`side/Only.h\`." "" "Not a rule: \`side/\`."
put upper/Top.cpp '#include "upper/Top.h"' '#include "lower/Base.h"' '#include "side/Only.h"'
put side/README.md "# side" "" "May include: nothing outside \`side/\`."
put side/Only.h '#pragma once'
expect pass "folders, single headers, own folder and system headers are allowed"

put lower/Base.cpp '#include "lower/Base.h"' '' '#include "upper/Top.h"'
expect fail "an include against the order is refused" 'lower/Base.cpp:3: includes "upper/Top.h"'
rm "$dir/lower/Base.cpp"

put upper/Top.cpp '#include "side/Other.h"'
expect fail "a single-header rule allows only that header" 'upper/Top.cpp:1: includes "side/Other.h"'

put upper/Top.cpp '#  include   "side/Other.h"  // spaced'
expect fail "spaced directives are read too" 'upper/Top.cpp:1'
put upper/Top.cpp '#include "side/Only.h"'

put upper/Extra.h '#include "side/Deep.h"'
expect fail "text after the paragraph's blank line is no rule" 'upper/Extra.h:1: includes "side/Deep.h"'
rm "$dir/upper/Extra.h"

put newer/Thing.cpp '#include "lower/Base.h"'
expect fail "a folder without rules is refused" 'newer/: no "May include:"'
rm -r "$dir/newer"

put tests/AnyTest.cpp '#include "upper/Top.h"'
expect pass "tests may include anything"

# A folder inside another: with a README it is a folder of its own.
put upper/inner/README.md "# inner" "" "May include: \`upper/Top.h\`, \`lower/\`."
put upper/inner/In.cpp '#include "upper/inner/In.h"' '#include "upper/Top.h"' '#include "lower/Base.h"'
expect pass "a nested folder keeps to its own README"
put upper/inner/In.cpp '#include "side/Only.h"'
expect fail "a nested folder does not inherit its parent's rules" 'upper/inner/In.cpp:1: includes "side/Only.h"'
put upper/inner/In.cpp '#include "upper/Top.h"'
put upper/Top.cpp '#include "upper/inner/In.h"'
expect fail "to its parent a nested folder is another folder" 'upper/Top.cpp:1: includes "upper/inner/In.h"'
put upper/Top.cpp '#include "lower/Base.h"'
rm "$dir/upper/inner/README.md"
put upper/inner/In.cpp '#include "side/Only.h"' '#include "upper/Top.h"'
expect pass "a nested folder without a README belongs to its parent"
rm -r "$dir/upper/inner"

# The real rule that keeps the effect below the editor.
tree real
mkdir -p "$dir/effect" && cp "$source_root/effect/README.md" "$dir/effect/"
put effect/NelAmbiEnc.cpp '#include "dsp/NelAmbisonicEncoder.h"' '#include "plugin/AudioEffectX.h"'
expect pass "the effect's own README allows the engine and the host boundary"
put effect/NelAmbiEnc.cpp '#include "plugin/AudioEffectX.h"' '#include "editor/NAE_editor.h"'
expect fail "the effect's README refuses the editor" 'effect/NelAmbiEnc.cpp:2: includes "editor/NAE_editor.h"'

[ $failures -eq 0 ] && echo "all cases passed"
exit $((failures > 0))
