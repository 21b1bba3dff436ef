#!/usr/bin/env bash
# Packages the VS Code extension in editors/vscode for one platform, with
# that platform's program inside (server/scenario-builder[.exe]), as
# build/vscode/scenario-builder-<target>-<version>.vsix, and prints its path.
# Usage: tools/vscode-package.sh linux-x64 build/release/scenario-builder
#        tools/vscode-package.sh win32-x64 build/windows/scenario-builder.exe
#        tools/vscode-package.sh --check-node   (only whether Node.js will do)
# Installs the extension's locked packages first when they are missing or
# older than the lock file (npm ci), and builds the bundle.
set -euo pipefail
cd "$(dirname "$0")/.."
# The packaging tool needs Node 20; Debian 12's own nodejs is 18.
node_major=$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)
if ((node_major < 20)); then
  echo "vscode-package: Node.js $(node --version 2>/dev/null || echo "not") found; the extension's tools need 20 or later" >&2
  exit 69
fi
[ "${1:-}" = --check-node ] && exit 0
if (($# != 2)); then
  echo "usage: $0 linux-x64|win32-x64 PROGRAM" >&2
  exit 64
fi
target=$1 program=$2
case "$target" in
  linux-x64) server_name=scenario-builder ;;
  win32-x64) server_name=scenario-builder.exe ;;
  *) echo "vscode-package: unknown target '$target' (linux-x64 or win32-x64)" >&2; exit 64 ;;
esac
if [ ! -f "$program" ]; then
  echo "vscode-package: no program $program to bundle; build it first" >&2
  exit 66
fi

ext=$PWD/editors/vscode
out=$PWD/build/vscode
# The tools' chatter is shown only when one of them fails.
log=$(mktemp)
stage=$(mktemp -d)
trap 'rm -rf "$stage" "$log"' EXIT
quietly() {
  "$@" >"$log" 2>&1 || { cat "$log" >&2; echo "vscode-package: $* failed" >&2; exit 1; }
}
(
  cd "$ext"
  if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    quietly npm ci --no-audit --no-fund --loglevel=error
  fi
  quietly npm run --silent build
)
version=$(node -p "require('$ext/package.json').version")
vsix=$out/scenario-builder-$target-$version.vsix

# The package is made from a copy of what it ships, so that the program
# never lands in the source tree and two targets cannot mix.
cp -r "$ext/package.json" "$ext/.vscodeignore" "$ext/README.md" "$ext/CHANGELOG.md" "$ext/LICENSE" \
  "$ext/language-configuration.json" "$ext/syntaxes" "$ext/schemas" "$ext/dist" "$stage/"
mkdir "$stage/server"
if [ "$target" = linux-x64 ]; then
  # The release build keeps its symbols; the editor does not need them.
  strip -o "$stage/server/$server_name" "$program"
else
  cp "$program" "$stage/server/$server_name"
fi
chmod 755 "$stage/server/$server_name"

mkdir -p "$out"
rm -f "$vsix"
(cd "$stage" && quietly "$ext/node_modules/.bin/vsce" package --no-dependencies --allow-missing-repository \
  --target "$target" --out "$vsix" </dev/null)
echo "$vsix"
