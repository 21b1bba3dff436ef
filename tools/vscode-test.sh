#!/usr/bin/env bash
# Builds the VS Code extension in editors/vscode from its locked packages,
# runs its grammar and manifest tests, and packages it as
# build/vscode/scenario-builder-<version>.vsix.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
# The packaging tool needs Node 20; Debian 12's own nodejs is 18.
node_major=$(node -p 'process.versions.node.split(".")[0]')
if ((node_major < 20)); then
  echo "vscode-test: Node.js $(node --version) found; the extension's tools need 20 or later" >&2
  exit 1
fi
start=$SECONDS
ext=editors/vscode
out=$PWD/build/vscode
(
  cd "$ext"
  npm ci --no-audit --no-fund --loglevel=error
  npm run --silent build
  npm test
)
version=$(node -p "require('./$ext/package.json').version")
vsix=$out/scenario-builder-$version.vsix
mkdir -p "$out"
rm -f "$vsix"
(cd "$ext" && npm run --silent package -- --out "$vsix" </dev/null)
echo "== vscode extension: $vsix ($(stat -c %s "$vsix") bytes) after $((SECONDS - start)) s"
