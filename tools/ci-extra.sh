#!/usr/bin/env bash
# The reliability checks of CI: the whole test suite under the sanitizers,
# then each fuzz target for a while (default 60 s each).
#   tools/ci-extra.sh [seconds per fuzz target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
start=$SECONDS
tools/sanitize.sh
tools/fuzz.sh "$seconds"
echo "ci-extra: sanitizer suite and fuzzing passed in $((SECONDS - start)) s"
