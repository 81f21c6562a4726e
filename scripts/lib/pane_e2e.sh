# Shared by the end-to-end scripts of the preference panes: the staged server and preferences
# program driven in a scratch home, with what each script does around the pane.
#   pane_e2e_start NAME ROOT BIN   the scratch set-up (see e2e_scratch.sh) for the staged ROOT
#                                  and the tools in BIN; exports KEP_ROOT and KEP_RENDER_DIR,
#                                  sets $data (the user's KEP folder) and $state (the
#                                  preferences window's rendered state).
source "$(dirname "${BASH_SOURCE[0]}")/e2e_scratch.sh"

pane_e2e_start() {
  bin=$3
  server="$2/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"
  program="$2/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPPreferences.app/Contents/MacOS/IMKKEPPreferences"
  e2e_scratch "$1"
  export KEP_ROOT="$2"
  data="$HOME/Library/KEP"
  mkdir -p -m 700 "$data"
  export KEP_RENDER_DIR="$work/render"
  mkdir -m 700 "$KEP_RENDER_DIR"
  state="$KEP_RENDER_DIR/windows/IMKKEPPreferences/Preferences.state"
}

# ui ARGS...: a control command to the preferences program; a failure when refused.
ui() { "$bin/kep-ui" IMKKEPPreferences "$@" >/dev/null || fail "kep-ui $*"; }

# typed NAME KEYS EXPECTED: after an activation the keys commit the expected text.
typed() {
  local out
  out=$("$bin/kep-imk-client" "<activate>$2<space>" 2>&1)
  grep -qxF "insert: $3" <<<"$out" || fail "$1: '$2' did not commit '$3':"$'\n'"$out"
}

# Starts the staged server and waits until it takes connections.
start_server() {
  "$server" 2>>"$work/server.log" &
  pids+=("$!")
  wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"
}

# Starts the preferences program and waits until its window shows; $preferences is its id.
start_preferences() {
  "$program" 2>>"$work/preferences.log" &
  preferences=$!
  pids+=("$preferences")
  wait_for_file "$state"
}

# Closes the preferences window, which writes the settings, and waits (a minute at most) for
# the program to end.
close_preferences() {
  ui close Preferences
  for _ in $(seq 600); do
    kill -0 "$preferences" 2>/dev/null || break
    sleep 0.1
  done
}

# pane_e2e_finish MESSAGE: the logs and a failing status after failures, else MESSAGE.
pane_e2e_finish() {
  if [[ $failures -ne 0 ]]; then
    echo "--- server log" >&2
    cat "$work/server.log" >&2 || true
    echo "--- preferences log" >&2
    cat "$work/preferences.log" >&2 || true
    exit 1
  fi
  echo "$1"
}
