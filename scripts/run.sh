#!/usr/bin/env bash
# Builds the optimised programs (build-release/, see build-release.sh) and starts the system's
# main job on the staged default data: the input-method server IMKKEP and the terminal client
# kep-type attached to it (type pinyin; Escape with nothing typed quits, and the server is
# stopped). With arguments, runs that kep-engine subcommand instead ("scripts/run.sh keys nihao,",
# "scripts/run.sh paths").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-release.sh >/dev/null
build=build-release
export KEP_ROOT="$PWD/$build/root"
if [[ $# -gt 0 ]]; then
  exec "$build/bin/kep-engine" "$@"
fi

bundle="$KEP_ROOT/Library/Input Methods/IMKKEP.app/Contents"
server="$bundle/MacOS/IMKKEP"
log_dir="${XDG_STATE_HOME:-$HOME/.local/state}/kep"
mkdir -p "$log_dir"

# The server logs to its standard error; keep it off the terminal kep-type draws on.
"$server" 2>>"$log_dir/IMKKEP.log" &
server_pid=$!
# The companion programs this server started (the converter, ...) end with it.
companions_of() {
  local stat fields
  for stat in /proc/[0-9]*/stat; do
    read -r -a fields <"$stat" 2>/dev/null || continue
    if [[ ${fields[3]:-} == "$1" ]]; then echo "${fields[0]}"; fi
  done
}
stop_server() {
  if kill -0 "$server_pid" 2>/dev/null; then
    local companions
    mapfile -t companions < <(companions_of "$server_pid")
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    if [[ ${#companions[@]} -gt 0 ]]; then kill -TERM "${companions[@]}" 2>/dev/null || true; fi
  fi
}
trap stop_server EXIT

# A server that finds the name taken exits at once: type into the one already running.
sleep 0.3
if ! kill -0 "$server_pid" 2>/dev/null; then
  echo "run.sh: IMKKEP did not start (see $log_dir/IMKKEP.log); using a server already running, if any" >&2
fi
"$build/bin/kep-type"
