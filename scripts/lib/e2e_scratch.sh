# Shared by the end-to-end scripts: a scratch HOME and runtime folder under one work folder,
# programs started in the background ended at exit, and failures counted instead of stopping.
#   e2e_scratch NAME   creates the work folder /tmp/kep-NAME.XXXXXX and exports HOME and
#                      KEP_RUNTIME_DIR under it; $work names it.
pids=()
failures=0

e2e_scratch() {
  work=$(mktemp -d "/tmp/kep-$1.XXXXXX")
  export HOME="$work/home" KEP_RUNTIME_DIR="$work/run"
  mkdir -p "$HOME" "$KEP_RUNTIME_DIR"
  chmod 700 "$KEP_RUNTIME_DIR"
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # A server restarts companions that end, so one may have started while the others went:
  # whatever still runs with this test's runtime folder is ended too.
  local round
  for round in 1 2 3 4 5; do
    mapfile -t stray < <(session_processes)
    [[ ${#stray[@]} -eq 0 ]] && break
    kill -"$([[ $round -lt 4 ]] && echo TERM || echo KILL)" "${stray[@]}" 2>/dev/null || true
    sleep 0.2
  done
  rm -rf "$work"
}

# The processes, other than this shell, started with this test's runtime folder.
session_processes() {
  local dir
  for dir in /proc/[0-9]*; do
    [[ ${dir#/proc/} == "$$" || ${dir#/proc/} == "$BASHPID" ]] && continue
    grep -qxzF "KEP_RUNTIME_DIR=$KEP_RUNTIME_DIR" "$dir/environ" 2>/dev/null && echo "${dir#/proc/}"
  done
  return 0
}

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# eventually WHAT COMMAND...: the command comes to succeed within a minute, however busy the
# machine is.
eventually() {
  local what=$1
  shift
  for _ in $(seq 600); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  fail "$what: did not happen within a minute"
  return 1
}

# The processes whose parent is $1 (the companions a server started).
children_of() {
  local stat fields
  for stat in /proc/[0-9]*/stat; do
    read -r -a fields <"$stat" 2>/dev/null || continue
    if [[ ${fields[3]:-} == "$1" ]]; then echo "${fields[0]}"; fi
  done
}

# Waits up to a minute (programs start slowly on a busy machine) for the file $1; a failure
# when it never appears.
wait_for_file() {
  for _ in $(seq 600); do
    if [[ -e $1 ]]; then return 0; fi
    sleep 0.1
  done
  fail "$1 never appeared"
  return 1
}
