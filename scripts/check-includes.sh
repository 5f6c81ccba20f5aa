#!/usr/bin/env bash
# scripts/check-includes.sh [ROOT]: checks that every source folder includes
# only what its README allows. Each folder's README.md has one paragraph that
# starts with "May include:" and names, in backticks, the folders (`dsp/`) and
# single headers (`effect/ParameterTable.h`) its sources may include besides
# their own folder. An include of a project header ("folder/File.h") that the
# paragraph does not name is reported as FILE:LINE and fails the check, so
# the folders keep depending one way. Tests are not checked: they may reach
# anything they test.
#
# A folder inside another (`lv2/ui/`) with a README of its own is a folder of
# its own: its sources keep to its README, and to its parent's sources it is
# as foreign as any other folder. A folder inside another without a README
# belongs to its parent.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# Folders that hold no product sources.
unchecked=" tests scripts docs build "

has_rules() {
  [ -f "$1/README.md" ] && grep -q '^May include:' "$1/README.md"
}

# owner PATH: sets `owned` to the folder whose README rules PATH: its
# nearest enclosing folder with rules, else its top folder
declare -A owners
owner() {
  local dir=${1%/*}
  if [ -z "${owners[$dir]:-}" ]; then
    local d=$dir
    while [[ "$d" == */* ]] && ! has_rules "$d"; do d=${d%/*}; done
    owners[$dir]=$d
  fi
  owned=${owners[$dir]}
}

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
declare -A reported rules_of
files=()
while read -r file; do
  owner "$file"
  [[ "$unchecked" == *" ${owned%%/*} "* ]] && continue
  if ! has_rules "$owned"; then
    if [ -z "${reported[$owned]:-}" ]; then
      echo "$owned/: no \"May include:\" paragraph in $owned/README.md"
      reported[$owned]=1
    fi
    status=1
    continue
  fi
  [ -z "${rules_of[$owned]+set}" ] && rules_of[$owned]=$(allowed "$owned")
  files+=("$file")
done < <(find . -mindepth 2 \( -path ./.git -o -path ./build \) -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print \
           | sed 's|^\./||' | sort)

if [ ${#files[@]} -gt 0 ]; then
  while IFS=: read -r file line text; do
    [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\" ]] || continue
    header=${BASH_REMATCH[1]}
    [[ "$header" != */* ]] && continue
    owner "$file"
    folder=$owned
    owner "$header"
    [ "$owned" = "$folder" ] && continue
    if ! permits "${rules_of[$folder]}" "$header"; then
      echo "$file:$line: includes \"$header\", which $folder/README.md does not allow"
      status=1
    fi
  done < <(grep -n -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${files[@]}")
fi
[ "$status" -eq 0 ] && echo "includes: every folder keeps to its README"
exit "$status"
