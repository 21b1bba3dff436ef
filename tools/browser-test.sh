#!/usr/bin/env bash
# The interactive page of `render --html` in headless Chromium: installs the
# locked test packages, builds the program, compiles the built-in scenario,
# renders its page, runs tests/browser/viewer.test.mjs against it, then
# tests/browser/watch.test.mjs runs render --watch under the browser.
# Usage: tools/browser-test.sh [--screenshot]
#   --screenshot also refreshes the two screenshots in docs/ (the whole
#   line, and zoomed in); a run without it leaves the tree as it was.
# PRESET picks the build (default release).
set -euo pipefail
cd "$(dirname "$0")/.."

shots=()
case "${1:-}" in
  "") ;;
  --screenshot) shots=("$PWD/docs") ;;
  *) echo "usage: $0 [--screenshot]" >&2; exit 64 ;;
esac

tools/deps.sh chromium
start=$SECONDS
preset=${PRESET:-release}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target scenario-builder
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/scenario"
"build/$preset/scenario-builder" --dir "$work/scenario"
"build/$preset/scenario-builder" render "$work/scenario" --html -o "$work/page.html"
(
  cd tests/browser
  # The browser is Debian's; puppeteer-core downloads none.
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
  CHROMIUM=${CHROMIUM:-$(command -v chromium)} node viewer.test.mjs "$work/page.html" "${shots[@]}"
  CHROMIUM=${CHROMIUM:-$(command -v chromium)} node watch.test.mjs "$PWD/../../build/$preset/scenario-builder"
)
echo "== browser tests passed after $((SECONDS - start)) s"
if ((${#shots[@]})); then echo "== screenshots in docs/viewer-*.png"; fi
