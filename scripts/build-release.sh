#!/usr/bin/env bash
# Installs the packages, configures and builds the optimised tree build-release/ (no sanitizers,
# no tests or benchmarks) with the programs a person runs and their staged root. The sanitized
# tree in build/ stays the test build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [[ ! -f build-release/build.ninja ]]; then
  cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF \
        -DKEP_BENCH=OFF >/dev/null
fi
cmake --build build-release -j "$(nproc)" --target stage kep-type kep-engine kep-imk-client kep-port kep-ui
