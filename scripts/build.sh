#!/usr/bin/env bash
# Installs the packages, configures and builds the tree into build/ (sanitized),
# which also stages the runnable root in build/root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [[ ! -f build/build.ninja ]]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEP_SANITIZE=ON >/dev/null
fi
cmake --build build -j "$(nproc)"
