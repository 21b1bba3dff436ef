#!/usr/bin/env bash
# The interactive page of `render --html` in headless Chromium: installs the
# locked test packages, builds the program, compiles the built-in scenario,
# renders its page, runs tests/browser/viewer.test.mjs against it and
# refreshes the two screenshots in docs/ (the whole line, and zoomed in);
# then tests/browser/watch.test.mjs runs render --watch under the browser.
# PRESET picks the build (default release).
set -euo pipefail
cd "$(dirname "$0")/.."
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
  CHROMIUM=${CHROMIUM:-$(command -v chromium)} node viewer.test.mjs "$work/page.html" "$PWD/../../docs"
  CHROMIUM=${CHROMIUM:-$(command -v chromium)} node watch.test.mjs "$PWD/../../build/$preset/scenario-builder"
)
echo "== browser tests passed after $((SECONDS - start)) s; screenshots in docs/viewer-*.png"
