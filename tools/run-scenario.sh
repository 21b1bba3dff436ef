#!/usr/bin/env bash
# Builds the program and performs the scenario run: the six files of the
# scenario appear beside the executable, in build/release/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target scenario-builder
build/release/scenario-builder
echo "scenario files written to $(pwd)/build/release:"
ls -l build/release/Lungomare_Nord_*
