#!/usr/bin/env bash
# The staged program as a user opens it: the input menu's Preferences item of the running server
# starts it with the staged panes; its window shows them under the toolbar, a second start hands
# over to the first, and closing the window writes the shown pane's settings and ends it.
# Arguments: the staged root and the folder of the built tools.
set -euo pipefail
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"
program="$root/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPPreferences.app/Contents/MacOS/IMKKEPPreferences"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch preferences-e2e
export KEP_ROOT="$root"
export KEP_RENDER_DIR="$work/render"
unset KEP_SCREENS KEP_PREFERENCES_DEBUG
mkdir -m 700 "$KEP_RENDER_DIR"
state="$KEP_RENDER_DIR/windows/IMKKEPPreferences/Preferences.state"
settings="$HOME/Library/KEP/imkkep.plist"

# The window's own title: the top-level "title" entry of its state.
window_title() {
  awk '/^\t<key>title<\/key>$/ { getline; gsub(/^\t<string>|<\/string>$/, ""); print; exit }' \
    "$state" 2>/dev/null || true
}
# The first item of the window's toolbar.
first_toolbar_item() {
  awk '/^\t<key>toolbar<\/key>$/ { bar = 1 } bar && /<key>items<\/key>/ { items = 1 }
       items && /<string>/ { gsub(/^[ \t]*<string>|<\/string>$/, ""); print; exit }' \
    "$state" 2>/dev/null || true
}
# The process running the preferences program for this test's runtime folder.
program_pid() {
  local pid
  for pid in /proc/[0-9]*; do
    if [[ $(readlink "$pid/exe" 2>/dev/null) == */IMKKEPPreferences ]] &&
      grep -qxzF "KEP_RUNTIME_DIR=$KEP_RUNTIME_DIR" "$pid/environ" 2>/dev/null; then
      local fields
      read -r -a fields <"$pid/stat" 2>/dev/null || continue
      [[ ${fields[2]} != Z ]] && echo "${pid#/proc/}"
    fi
  done
  return 0
}

"$server" 2>>"$work/server.log" &
pids+=("$!")
wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"

"$bin/kep-imk-client" '<menu:1101>' >/dev/null 2>&1 || fail "the client could not use the menu"
wait_for_file "$state"
for _ in $(seq 600); do
  [[ -n $(window_title) ]] && break
  sleep 0.1
done
first=$(program_pid)
[[ -n $first ]] || fail "the menu did not start the preferences program"
pane=$(window_title)
[[ -n $pane && $pane == "$(first_toolbar_item)" ]] ||
  fail "the window shows '$pane', not the toolbar's first pane '$(first_toolbar_item)'"

# A second start asks the first to show its window and ends well.
status=0
"$program" 2>"$work/second.log" || status=$?
[[ $status -eq 0 ]] || fail "a second copy exited with $status: $(cat "$work/second.log")"
[[ $(program_pid) == "$first" ]] || fail "the first copy did not stay the one copy"

"$bin/kep-ui" IMKKEPPreferences close Preferences >/dev/null || fail "the window did not close"
for _ in $(seq 600); do
  [[ -z $(program_pid) ]] && break
  sleep 0.1
done
[[ -z $(program_pid) ]] || fail "closing the window did not end the program"
[[ -f $settings ]] || fail "closing did not write $settings"
grep -q "<key>" "$settings" 2>/dev/null || fail "$settings holds no setting"

if [[ $failures -ne 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  exit 1
fi
echo "preferences end to end: ok"
