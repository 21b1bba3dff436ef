#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. the unit and end-to-end tests (preset release), clang-tidy
#      (tools/tidy.sh), then the VS Code
#      extension's tests and its platform packages (tools/vscode-test.sh), the
#      interactive page in a browser (tools/browser-test.sh);
#   2. the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
#      then each fuzz target for FUZZ_SECONDS (default 60);
#   3. the Windows programs, cross-built and checked under Wine against the
#      Linux build;
#   4. the packages as users get them (tools/release-test.sh): the .deb
#      installed, the zip unpacked and run under Wine (in the Wine prefix
#      step 3 prepared).
# SB_TEST_QUICK=1 runs step 1 and the .deb of step 4.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j2
ctest --preset release -j2
echo "== unit tests passed after $((SECONDS - start)) s"
tools/tidy.sh
tools/vscode-test.sh
tools/browser-test.sh
if [ "${SB_TEST_QUICK:-0}" = 1 ]; then
  tools/release-test.sh --linux-only
  exit 0
fi

tools/ci-extra.sh "${FUZZ_SECONDS:-60}"
echo "== sanitizers and fuzzing passed after $((SECONDS - start)) s"
tools/windows-test.sh
tools/release-test.sh
echo "== every test passed in $((SECONDS - start)) s"
