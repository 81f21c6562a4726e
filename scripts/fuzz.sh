#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/, writes their seed corpora with the
# project's own writers and runs each target for SECONDS (default 60), at most JOBS at a time
# (default 3). Crashing inputs land in build-fuzz/fuzz/findings/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
jobs=${JOBS:-3}

bash scripts/install-deps.sh
# The fuzz build alone needs clang (libFuzzer); the tests and CI do not.
if ! command -v clang++ >/dev/null; then
  sudo=$([[ $(id -u) -ne 0 ]] && echo sudo || true)
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang >/dev/null
fi
if [[ ! -f build-fuzz/build.ninja ]]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKEP_FUZZ=ON -DKEP_SANITIZE=OFF -DKEP_BENCH=OFF >/dev/null
fi
cmake --build build-fuzz --target fuzzers -j "$jobs"

work=build-fuzz/fuzz
bin=$work/bin
rm -rf "$work/seeds"
"$bin/kep-fuzz-seeds" "$work/seeds" resources

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  targets=()
  for program in "$bin"/kep-fuzz-*; do
    name=${program##*/kep-fuzz-}
    [[ $name == seeds ]] || targets+=("$name")
  done
fi

# Full stacks for leaks, so that the suppressions can name frames inside uninstrumented libdb.
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

run_one() {
  local name=$1
  mkdir -p "$work/corpus/$name" "$work/findings/$name"
  local status=0
  "$bin/kep-fuzz-$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/findings/$name/" -print_final_stats=1 \
    "$work/corpus/$name" "$work/seeds/$name" >"$work/$name.log" 2>&1 || status=$?
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$' || true)
  if [[ $status -eq 0 ]]; then
    echo "$name: ${runs:-?} runs, no finding"
  else
    echo "$name: FAILED after ${runs:-?} runs (exit $status); see $work/$name.log and $work/findings/$name/"
  fi
  return $status
}

failed=0
pids=()
names=()
for name in "${targets[@]}"; do
  run_one "$name" &
  pids+=($!)
  names+=("$name")
  if [[ ${#pids[@]} -ge $jobs ]]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
exit $failed
