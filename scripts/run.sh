#!/usr/bin/env bash
# Builds what is needed and starts the system's main job on the staged default data: with no
# argument, the interactive engine driver (type pinyin on the terminal, Escape quits); with
# arguments, that kep-engine subcommand ("scripts/run.sh paths", "scripts/run.sh keys nihao,").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
export KEP_ROOT="$PWD/build/root"
exec build/bin/kep-engine "$@"
