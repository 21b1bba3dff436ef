#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# (Debug, build/asan) and runs the whole test suite there. Any report of
# either sanitizer fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset asan >/dev/null
cmake --build --preset asan -j2
ctest --preset asan -j2
