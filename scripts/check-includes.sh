#!/usr/bin/env bash
# scripts/check-includes.sh [ROOT]: checks that every source folder includes
# only what its README allows. Each folder's README.md has one paragraph that
# starts with "May include:" and names, in backticks, the folders (`dsp/`) and
# single headers (`effect/ParameterTable.h`) its sources may include besides
# their own folder. An include of a project header ("folder/File.h") that the
# paragraph does not name is reported as FILE:LINE and fails the check, so
# the folders keep depending one way. Tests are not checked: they may reach
# anything they test.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# Folders that hold no product sources.
unchecked=" tests scripts docs build "

# allowed FOLDER: the backticked paths of the README's "May include:" paragraph
allowed() {
  awk '/^May include:/ { on = 1 } on && /^[[:space:]]*$/ { exit } on { print }' "$1/README.md" \
    | grep -o '`[^`]*`' | tr -d '`' | grep '/' || true
}

# permits RULES INCLUDE: whether one of the rules names the include
permits() {
  local rule
  while read -r rule; do
    [ -z "$rule" ] && continue
    case "$rule" in
      */) [[ "$2" == "$rule"* ]] && return 0 ;;
      *) [ "$2" = "$rule" ] && return 0 ;;
    esac
  done <<<"$1"
  return 1
}

status=0
for dir in */; do
  dir=${dir%/}
  [[ "$unchecked" == *" $dir "* ]] && continue
  sources=$(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
  [ -z "$sources" ] && continue
  if [ ! -f "$dir/README.md" ] || ! grep -q '^May include:' "$dir/README.md"; then
    echo "$dir/: no \"May include:\" paragraph in $dir/README.md"
    status=1
    continue
  fi
  rules=$(allowed "$dir")
  while IFS=: read -r file line text; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
    [[ "$header" != */* ]] && continue
    [[ "$header" == "$dir/"* ]] && continue
    if ! permits "$rules" "$header"; then
      echo "$file:$line: includes \"$header\", which $dir/README.md does not allow"
      status=1
    fi
  done < <(grep -n -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' $sources)
done
[ "$status" -eq 0 ] && echo "includes: every folder keeps to its README"
exit "$status"
