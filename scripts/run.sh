#!/usr/bin/env bash
# Builds what is needed and starts the system's main job on the staged default data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
export KEP_ROOT="$PWD/build/root"
exec build/bin/kep-engine "${@:-paths}"
