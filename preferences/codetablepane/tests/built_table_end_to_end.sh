#!/usr/bin/env bash
# A code table built in the preferences program's code-table pane is the one the staged server
# types with after the next activation: the pane switches code tables on, builds table "T" from
# a source chosen in the open panel, and closing the window writes the settings. Arguments: the
# staged root and the folder of the tools.
set -euo pipefail
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"
program="$root/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPPreferences.app/Contents/MacOS/IMKKEPPreferences"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch codetable-e2e
export KEP_ROOT="$root"
data="$HOME/Library/KEP"
mkdir -p -m 700 "$data"

export KEP_RENDER_DIR="$work/render"
mkdir -m 700 "$KEP_RENDER_DIR"
state="$KEP_RENDER_DIR/windows/IMKKEPPreferences/Preferences.state"
ui() { "$bin/kep-ui" IMKKEPPreferences "$@" >/dev/null || fail "kep-ui $*"; }

printf '# a small table\nab 啊 阿\nzz 在\n' >"$work/source.txt"
cat >"$data/imkkep.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>EnablePlug</key>
	<false/>
</dict>
</plist>
PLIST
# typed NAME KEYS EXPECTED: after an activation the keys commit the expected text.
typed() {
  local out
  out=$("$bin/kep-imk-client" "<activate>$2<space>" 2>&1)
  grep -qxF "insert: $3" <<<"$out" || fail "$1: '$2' did not commit '$3':"$'\n'"$out"
}

"$server" 2>>"$work/server.log" &
pids+=("$!")
wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"

"$program" 2>>"$work/preferences.log" &
preferences=$!
pids+=("$preferences")
wait_for_file "$state"
ui click Preferences CodeTable
ui click Preferences applyCodeTable
ui click Preferences buildCustomTable
ui answer open-panel "$work/source.txt"
ui click PCTNewBuild browserFile
ui click PCTNewBuild name
ui key PCTNewBuild T
ui click PCTNewBuild build
wait_for_file "$data/PlugCodeTable/T.pct"
[[ $(cat "$data/PlugCodeTable/T.pct") == "5|*|1|1|0|0|a-z|a-z" ]] ||
  fail "the scheme line is: $(cat "$data/PlugCodeTable/T.pct" 2>&1)"
# The server reloads on a changed modification time: one second on, whatever the file system keeps.
sleep 1.1
ui close Preferences
for _ in $(seq 600); do
  kill -0 "$preferences" 2>/dev/null || break
  sleep 0.1
done
grep -qF '<string>T.pct</string>' "$data/imkkep.plist" || fail "CodeTableScheme is not the new table"
# As pinyin the same keys put another word first (阿布): the commit is the table's.
typed built ab 啊
typed built-second zz 在

if [[ $failures -ne 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  echo "--- preferences log" >&2
  cat "$work/preferences.log" >&2 || true
  exit 1
fi
echo "built table end to end: ok"
