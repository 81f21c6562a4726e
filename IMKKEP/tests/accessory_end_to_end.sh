#!/usr/bin/env bash
# The server's accessory panel as a person uses it: opened from the input menu in the lower
# right corner, dimmed when the pointer stays away, a character button and an abbreviation row
# clicked through kep-ui insert into the application that has the keyboard, and the panel
# closed by the menu, by a switch to another input source and by a silent application.
#
#   accessory_end_to_end.sh STAGED_ROOT BIN_DIR
set -uo pipefail
export LC_ALL=C.UTF-8
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/e2e_scratch.sh"
e2e_scratch accessory-e2e
export KEP_ROOT="$root" KEP_RENDER_DIR="$work/render"
unset KEP_SCREENS

data="$HOME/Library/KEP"
mkdir -p "$data"
chmod 700 "$data"
# A user category of 25 characters and one abbreviation.
items=$(for i in $(seq -w 0 24); do printf '字%s,' "$i"; done)
printf 'zz 二十五 %s\n' "${items%,}" >"$data/vmode.txt"
printf 'bj 北京市海淀区\n' >"$data/abbr.txt"
cat >"$data/imkkep.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>KeepSilent</key><true/>
	<key>SilentLists</key><string>/Applications/Quiet.app</string>
</dict>
</plist>
PLIST

panel="$KEP_RENDER_DIR/windows/IMKKEP/accessory.state"
state() { tr -d '\t\n' 2>/dev/null <"$panel"; }
# wait_for_state WHAT PATTERN: the panel's state comes to match within a minute, however busy
# the machine is.
wait_for_state() {
  for _ in $(seq 600); do
    grep -qE -- "$2" <<<"$(state)" && return 0
    sleep 0.1
  done
  fail "$1: the panel's state does not match '$2': $(state | head -c 600)"
}
# wait_for_insert TEXT: the application reports TEXT inserted within a minute.
wait_for_insert() {
  for _ in $(seq 600); do
    grep -qxF "insert: $1" "$work/app.out" && return 0
    sleep 0.1
  done
  fail "nothing inserted '$1':"$'\n'"$(cat "$work/app.out")"
}
ui() { "$bin/kep-ui" IMKKEP "$@" >/dev/null || fail "kep-ui $*"; }
click() { ui down accessory "$1" "$2"; ui up accessory "$1" "$2"; }
visible='<key>visible</key><true/>'
hidden='<key>visible</key><false/>'

"$server" 2>>"$work/server.log" &
server_pid=$!
pids+=("$server_pid")
wait_for_file "$KEP_RUNTIME_DIR/IMKKEP.control.port"
mapfile -t companions < <(children_of "$server_pid")
pids+=("${companions[@]}")

# The application stays active while the panel is used; it is ended once the panel is closed.
"$bin/kep-imk-client" '<menu:1200><wait:600000>' >"$work/app.out" 2>&1 &
app=$!
pids+=("$app")
wait_for_state opened "$visible"
frame='<key>frame</key><dict><key>x</key><real>1084.0</real><key>y</key><real>5.0</real><key>width</key><real>350.0</real><key>height</key><real>290.0</real></dict>'
grep -qF "$frame" <<<"$(state)" || fail "not at the lower right of the visible frame: $(state | head -c 600)"
# No pointer: dimmed two seconds after opening. The pointer over it brightens it, leaving dims
# it again.
wait_for_state dimmed '<key>alpha</key><real>0.3'
ui enter accessory 1
wait_for_state brightened '<key>alpha</key><real>1.0</real>'
ui exit accessory 1
wait_for_state "dimmed again" '<key>alpha</key><real>0.3'

# "User only" leaves the 25 characters as the one category: three rows of ten.
click 260 248
wait_for_state grid '<key>columns</key><integer>10</integer><key>count</key><integer>25</integer>'
# Button 12: row 1, column 2 of a grid hanging from the top of the scroll view at (8, 24).
click 90 180
# The abbreviations tab, then a double click on its first row.
click 130 278
wait_for_state abbreviations '<string>Abbreviations</string></array><key>selected</key><integer>1</integer>'
ui double accessory 100 241
wait_for_insert 字12
wait_for_insert 北京市海淀区

# The menu again closes the panel.
"$bin/kep-imk-client" '<menu:1200>' >/dev/null 2>&1 || fail "second menu choice"
wait_for_state closed "$hidden"
kill -TERM "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true

# A switch to another input source closes it.
"$bin/kep-imk-client" '<menu:1200><wait:500><deactivate:com.example.keylayout.US>' >/dev/null 2>&1 ||
  fail "input source switch"
wait_for_state "closed by the input source" "$hidden"
# So does an application the server leaves alone.
"$bin/kep-imk-client" '<menu:1200><wait:300>' >/dev/null 2>&1 || fail "reopen"
wait_for_state reopened "$visible"
"$bin/kep-imk-client" --app /Applications/Quiet.app --bundle-id com.example.quiet '' >/dev/null 2>&1 ||
  fail "silent application"
wait_for_state "closed by silent mode" "$hidden"
# Power-off ends the server cleanly, its windows with it.
kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
[[ $status -eq 0 ]] || fail "the server ended with $status at power-off"
if grep -q "Sanitizer" "$work/server.log"; then fail "the server's log has a sanitizer report"; fi
[[ $failures -eq 0 ]] || exit 1
echo "accessory end to end: ok"
