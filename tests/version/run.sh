#!/usr/bin/env bash
# The version stamp of cmake/version.cmake, from throwaway repositories:
# the tagged release is the bare version, anything else names its commit,
# and a tree that is not a checkout of its own is the bare version too.
# Usage: run.sh <source dir>; exit 77 (skipped) without git.
set -euo pipefail
src=$1
command -v git >/dev/null || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

stamp() {  # prints the version written for the tree $1
  cmake -DVERSION=1.0.0 -DSOURCE_DIR="$1" -DIN="$src/cmake/version.h.in" \
        -DOUT="$work/version.h" -P "$src/cmake/version.cmake"
  sed -n 's/.*kProgramVersion = "\(.*\)";/\1/p' "$work/version.h"
}
failed=0
expect() {
  local label=$1 want=$2 got
  got=$(stamp "$3")
  if [ "$got" = "$want" ]; then echo "ok    $label: $got"; else echo "FAIL  $label: want $want, got $got"; failed=1; fi
}
git_in() { git -C "$1" -c user.name=t -c user.email=t@localhost "${@:2}" >/dev/null; }

mkdir "$work/plain"
expect "no repository" 1.0.0 "$work/plain"

repo=$work/repo
mkdir "$repo"
git_in "$repo" init -q
echo a >"$repo/a"
git_in "$repo" add a
git_in "$repo" commit -q -m one
hash=$(git -C "$repo" rev-parse --short HEAD)
expect "untagged commit" "1.0.0+g$hash" "$repo"
echo b >>"$repo/a"
expect "untagged, edited" "1.0.0+g$hash.dirty" "$repo"
git_in "$repo" checkout -q a
git_in "$repo" tag v1.0.0
expect "the release tag" 1.0.0 "$repo"
echo b >>"$repo/a"
expect "the release tag, edited" 1.0.0-dirty "$repo"
git_in "$repo" commit -q -am two
hash=$(git -C "$repo" rev-parse --short HEAD)
expect "a commit after the tag" "1.0.0+g$hash" "$repo"
git_in "$repo" tag v0.9.0
expect "another version's tag" "1.0.0+g$hash" "$repo"
mkdir "$repo/unpacked"
expect "a tree inside someone else's repository" 1.0.0 "$repo/unpacked"
exit $failed
