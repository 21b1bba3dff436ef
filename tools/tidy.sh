#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: the naming of docs/developers.md and a few
# checks for real faults) over every source of src/, with the compile
# commands of the release build; any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
# The generated sources (version stamp, embedded files) must exist.
cmake --build --preset release -j2 --target sb_app >/dev/null
out=$(run-clang-tidy-14 -quiet -p build/release -j 2 "$(pwd)/src/" 2>&1) || {
  echo "$out" | grep -E "(warning|error):" -A3 >&2 || echo "$out" >&2
  exit 1
}
echo "clang-tidy: no findings"
