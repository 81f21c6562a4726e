#!/usr/bin/env bash
# A scheme made in the preferences program's double-pinyin pane is the one the staged server
# types with after the next activation, without a restart: the pane adds a scheme, the user
# types its text, closing the window writes the file and the settings. Arguments: the staged
# root and the folder of the tools.
set -euo pipefail
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"
program="$root/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPPreferences.app/Contents/MacOS/IMKKEPPreferences"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch doublepinyin-e2e
export KEP_ROOT="$root"
data="$HOME/Library/KEP"
mkdir -p -m 700 "$data"

export KEP_RENDER_DIR="$work/render"
mkdir -m 700 "$KEP_RENDER_DIR"
state="$KEP_RENDER_DIR/windows/IMKKEPPreferences/Preferences.state"
ui() { "$bin/kep-ui" IMKKEPPreferences "$@" >/dev/null || fail "kep-ui $*"; }

cat >"$data/imkkep.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>EnableDoublePinyin</key>
	<true/>
	<key>SPC</key>
	<string>xiaohe.spc</string>
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
typed shipped vs 中
typed shipped-x vx 抓

# In the pane: a new scheme that puts "ong" on the x key, typed line by line.
"$program" 2>>"$work/preferences.log" &
preferences=$!
pids+=("$preferences")
wait_for_file "$state"
ui click Preferences DoublePinyin
ui click Preferences addScheme
ui click Preferences content
for line in "[sm]" "zh=v" "[ym]" "ong=x"; do
  ui key Preferences "$line"
  ui keycode Preferences 36 0
done
# The server reloads on a changed modification time: one second on, whatever the file system keeps.
sleep 1.1
ui close Preferences
for _ in $(seq 600); do
  kill -0 "$preferences" 2>/dev/null || break
  sleep 0.1
done
[[ $(cat "$data/NewSPC.spc" 2>/dev/null) == $'[sm]\nzh=v\n[ym]\nong=x' ]] ||
  fail "the new scheme holds: $(cat "$data/NewSPC.spc" 2>&1)"
grep -qF '<string>NewSPC.spc</string>' "$data/imkkep.plist" || fail "SPC is not the new scheme"
typed chosen vx 中

if [[ $failures -ne 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  echo "--- preferences log" >&2
  cat "$work/preferences.log" >&2 || true
  exit 1
fi
echo "chosen scheme end to end: ok"
