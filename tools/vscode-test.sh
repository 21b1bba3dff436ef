#!/usr/bin/env bash
# Builds the VS Code extension in editors/vscode from its locked packages,
# runs its grammar, manifest and client tests, and packages it per platform
# with the program inside (tools/vscode-package.sh), into build/vscode/:
#   scenario-builder-linux-x64-<version>.vsix   the Linux program (preset release,
#                                              built here)
#   scenario-builder-win32-x64-<version>.vsix   the Windows program, when
#                                              build/windows/scenario-builder.exe exists
# Each package is unpacked and checked: its platform, its program, and that
# the extension, with no serverPath set, runs that very program.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
tools/deps.sh
tools/vscode-package.sh --check-node
start=$SECONDS
ext=editors/vscode
(
  cd "$ext"
  npm ci --no-audit --no-fund --loglevel=error
  npm run --silent build
  npm test
)

cmake --preset release >/dev/null
cmake --build --preset release --target scenario-builder >/dev/null
targets=(linux-x64)
programs=(build/release/scenario-builder)
if [ -f build/windows/scenario-builder.exe ]; then
  targets+=(win32-x64)
  programs+=(build/windows/scenario-builder.exe)
else
  echo "note  no build/windows/scenario-builder.exe (cmake --build --preset windows): no win32-x64 package"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in "${!targets[@]}"; do
  target=${targets[$i]} program=${programs[$i]}
  vsix=$(tools/vscode-package.sh "$target" "$program")
  unpacked=$work/$target
  mkdir "$unpacked"
  unzip -q "$vsix" -d "$unpacked"
  check "$target: the package names its platform" "TargetPlatform=\"$target\"" \
    "$(grep -o 'TargetPlatform="[^"]*"' "$unpacked/extension.vsixmanifest")"
  # The program the extension would run, installed as this package is,
  # with serverPath unset, in a trusted workspace.
  chosen=$(node -e '
    const fs = require("fs");
    const { chooseServer } = require(process.argv[1]);
    const none = { get: () => undefined, inspect: () => undefined };
    const choice = chooseServer(none, { extensionPath: process.argv[2], platform: process.argv[3],
      trusted: true, exists: (f) => fs.existsSync(f) });
    console.log(choice.source + " " + choice.command);' \
    "$PWD/$ext/out/src/server.js" "$unpacked/extension" "${target%-x64}")
  check "$target: with no serverPath the extension runs the bundled program" \
    "bundled $unpacked/extension/server/$(basename "$program")" "$chosen"
  if [ "$target" = linux-x64 ]; then
    check "$target: the bundled program runs and is the build's" "$("$program" --version)" \
      "$("$unpacked/extension/server/scenario-builder" --version 2>&1)"
  else
    cmp -s "$program" "$unpacked/extension/server/scenario-builder.exe" &&
      ok "$target: the bundled program is the build's, byte for byte" ||
      not_ok "$target: the bundled program is the build's" "$(cmp "$program" "$unpacked/extension/server/scenario-builder.exe" 2>&1)"
  fi
  echo "== vscode extension: $vsix ($(stat -c %s "$vsix") bytes)"
done
echo "after $((SECONDS - start)) s"
checks_summary vscode
