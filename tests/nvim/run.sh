#!/usr/bin/env bash
# The editor server end to end with Neovim, headless, set up by the README's
# own snippet: a train description with a mistake gets its diagnostic, and
# its line, opened beside it, shares its server; a misaligned train is
# formatted through the client. Exit 77 (skipped) without nvim.
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
# The README's own setup: the lua block after its Neovim heading, with the
# program found on PATH as the README says.
awk '/^\*\*Neovim\*\*/ { found = 1 } found && /^```lua/ { keep = 1; next }
     keep && /^```/ { exit } keep { print }' "$src/README.md" >"$work/init.lua"
grep -q "scenario-builder" "$work/init.lua" || { echo "no Neovim setup in README.md"; exit 1; }
ln -s "$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")" "$work/scenario-builder"
HOME="$work" PATH="$work:$PATH" SB_INIT="$work/init.lua" SB_FILE="$work/Demo_7-.txt" \
  SB_LINE="$work/Demo_linea.txt" \
  timeout 60 nvim --headless --clean -n -c "luafile $src/tests/nvim/diagnostics.lua" </dev/null

# Formatting: a misaligned train beside the same line, aligned through the
# client's formatting request.
printf '%s\r\n' '-- speeds, from (m), then km/h' '[vel_limite]' '  velocita,0,110' \
  'velocita,   2950,  160' 'velocita, 18290, 95' '[fine]' >"$work/Demo_8-.txt"
HOME="$work" PATH="$work:$PATH" SB_INIT="$work/init.lua" SB_FILE="$work/Demo_8-.txt" \
  timeout 60 nvim --headless --clean -n -c "luafile $src/tests/nvim/formatting.lua" </dev/null
# A quick fix applied through the client: the station off the step is moved
# and its diagnostic goes.
cp "$work/Demo_7-.txt" "$work/Demo_9-.txt"
HOME="$work" PATH="$work:$PATH" SB_INIT="$work/init.lua" SB_FIX_FILE="$work/Demo_9-.txt" \
  timeout 60 nvim --headless --clean -n -c "luafile $src/tests/nvim/code_action.lua" </dev/null
