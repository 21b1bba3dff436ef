#!/usr/bin/env bash
# The editor server end to end with Neovim, headless: a train description
# with a mistake gets its diagnostic. Exit 77 (skipped) without nvim.
#   tests/nvim/run.sh SCENARIO_BUILDER SOURCE_DIR
set -euo pipefail
exe="$1"
src="$2"
if ! command -v nvim >/dev/null; then
  echo "nvim not installed: skipped"
  exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$src/src/content/data/linea.txt" "$work/Demo_linea.txt"
sed 's/^stazione,    5250/stazione,    5260/' "$src/src/content/data/treno.txt" >"$work/Demo_7-.txt"
HOME="$work" SB_EXE="$exe" SB_FILE="$work/Demo_7-.txt" \
  timeout 60 nvim --headless --clean -n -c "luafile $src/tests/nvim/diagnostics.lua" </dev/null
