#!/usr/bin/env bash
# A code table built in the preferences program's code-table pane is the one the staged server
# types with after the next activation: the pane switches code tables on, builds table "T" from
# a source chosen in the open panel, and closing the window writes the settings. Arguments: the
# staged root and the folder of the tools.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/pane_e2e.sh"
pane_e2e_start codetable-e2e "$1" "$2"

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

start_server

start_preferences
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
close_preferences
grep -qF '<string>T.pct</string>' "$data/imkkep.plist" || fail "CodeTableScheme is not the new table"
# As pinyin the same keys put another word first (阿布): the commit is the table's.
typed built ab 啊
typed built-second zz 在

pane_e2e_finish "built table end to end: ok"
