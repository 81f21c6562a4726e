#!/usr/bin/env bash
# A scheme made in the preferences program's double-pinyin pane is the one the staged server
# types with after the next activation, without a restart: the pane adds a scheme, the user
# types its text, closing the window writes the file and the settings. Arguments: the staged
# root and the folder of the tools.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/pane_e2e.sh"
pane_e2e_start doublepinyin-e2e "$1" "$2"

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

start_server
typed shipped vs 中
typed shipped-x vx 抓

# In the pane: a new scheme that puts "ong" on the x key, typed line by line.
start_preferences
ui click Preferences DoublePinyin
ui click Preferences addScheme
ui click Preferences content
for line in "[sm]" "zh=v" "[ym]" "ong=x"; do
  ui key Preferences "$line"
  ui keycode Preferences 36 0
done
# The server reloads on a changed modification time: one second on, whatever the file system keeps.
sleep 1.1
close_preferences
[[ $(cat "$data/NewSPC.spc" 2>/dev/null) == $'[sm]\nzh=v\n[ym]\nong=x' ]] ||
  fail "the new scheme holds: $(cat "$data/NewSPC.spc" 2>&1)"
grep -qF '<string>NewSPC.spc</string>' "$data/imkkep.plist" || fail "SPC is not the new scheme"
typed chosen vx 中

pane_e2e_finish "chosen scheme end to end: ok"
