#!/usr/bin/env bash
# The window program's status bar and V-mode panel under the real server, typed into through
# kep-type: a V-mode trigger shows the panel, Down moves its selection and Space offers the
# chosen entry's items; the panel's picture holds the list, and a double click on a row offers
# that row's items to kep-imk-client; a click on the status bar's cn_en button switches the
# server to English.
#
#   status_vmode_end_to_end.sh STAGED_ROOT BIN_DIR WINDOW_CHECK
set -uo pipefail
export LC_ALL=C.UTF-8
root=$1
bin=$2
check=$3
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch status-vmode-e2e
export KEP_ROOT="$root" KEP_RENDER_DIR="$work/render"
unset KEP_SCREENS
command -v script >/dev/null || { echo "SKIP: no script(1) to give kep-type a terminal"; exit 0; }

windows="$KEP_RENDER_DIR/windows/IMKKEPCandidateWindow"
skin="$HOME/Library/KEP/Skins/bar"
mkdir -p "$HOME/Library/KEP"
chmod 700 "$HOME/Library/KEP"
"$bin/kep-status-skin-fixture" "$skin" || fail "the status bar skin was not written"
cat > "$HOME/Library/KEP/imkkep.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>VMode</key><true/>
	<key>EnableDaruzSkin</key><true/>
	<key>SkinPath</key><string>$skin</string>
	<key>HideDaruzStatusBar</key><false/>
</dict>
</plist>
PLIST

# One line per fact of a window's state: the plist without its layout.
state_of() { tr -d '\t\n' <"$windows/$1.state" 2>/dev/null; }

# Waits up to ten seconds for the state of window $1 to hold the text $2.
wait_for_state() {
  for _ in $(seq 100); do
    grep -qF "$2" <<<"$(state_of "$1")" && return 0
    sleep 0.1
  done
  return 1
}

"$server" 2>>"$work/server.log" &
server_pid=$!
pids+=("$server_pid")
for _ in $(seq 100); do
  [[ -e $windows/status.state ]] && break
  sleep 0.1
done
[[ -e $windows/status.state ]] || fail "the window program wrote no status window"
# The companions end with the test too (they would keep its output open).
mapfile -t companions < <(children_of "$server_pid")
pids+=("${companions[@]}")

# kep-type on a terminal of its own, fed a timed key script; what it drew, escapes removed.
type_keys() {
  (sleep 2.5; "$@"; sleep 1; printf '\033'; sleep 0.5; printf '\033'; sleep 0.5) |
    timeout 30 script -q -c "stty cols 200; $bin/kep-type" /dev/null 2>/dev/null |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr '\r' '\n'
}

vmode_keys() { printf 'v'; sleep 0.4; printf 'b'; sleep 1; printf '\033[B'; sleep 1; printf ' '; sleep 2.5; }
shown=$(type_keys vmode_keys)
grep -q '<key>selected</key><integer>1<' <<<"$(state_of vmode)" ||
  fail "Down did not move the V-mode panel to its second row: $(state_of vmode)"
# The second row of the shipped table is "bh" (strokes): its items become the candidates.
grep -q '1一' <<<"$shown" || fail "Space did not offer the chosen entry's items:"$'\n'"$shown"

# vbd: the panel shows the list from its first row, selected, with text on every row of its
# picture; bd is an exact key, so its items are offered at once. A double click on the third row
# (bq) then offers that row's items instead.
"$bin/kep-imk-client" 'vbd<wait:20000>' >"$work/client.log" 2>&1 &
client=$!
pids+=("$client")
wait_for_state candidate '<string>1，</string>' ||
  fail "vbd did not offer bd's items: $(state_of candidate)"
grep -q '<key>selected</key><integer>0<' <<<"$(state_of vmode)" ||
  fail "the V-mode panel's first row is not selected: $(state_of vmode)"
for row in 0 1 2 3 4 5 6 7; do
  "$check" ink "$windows/vmode.png" 0 $((row * 18)) 240 18 >/dev/null ||
    fail "row $row of the V-mode panel's picture holds no text"
done
"$bin/kep-ui" IMKKEPCandidateWindow double vmode 100 115 >/dev/null ||
  fail "kep-ui could not double-click the V-mode panel"
wait_for_state candidate '<string>1^_^</string>' ||
  fail "the double click did not offer bq's items: $(state_of candidate)"
grep -q '<key>selected</key><integer>2<' <<<"$(state_of vmode)" ||
  fail "the double click did not select the third row: $(state_of vmode)"
for _ in $(seq 50); do grep -q '^marked: vbq' "$work/client.log" && break; sleep 0.1; done
grep -q '^marked: vbq' "$work/client.log" ||
  fail "the client was not told the chosen key:"$'\n'"$(cat "$work/client.log")"
kill -TERM "$client" 2>/dev/null
wait "$client" 2>/dev/null

status=$(state_of status)
grep -q '<key>visible</key><true/>' <<<"$status" || fail "the status bar is not shown: $status"
grep -q '<key>cn_en</key><dict><key>enabled</key><true/><key>status</key><integer>0<' <<<"$status" ||
  fail "cn_en does not start in Chinese: $status"

# cn_en is the second button: its middle is 26 points from the left and 12 below the top of the
# 40-point bar, drawn below the window's 15-point shadow margin.
click_keys() {
  printf 'n'; sleep 0.8; printf '\177'; sleep 0.8
  "$bin/kep-ui" IMKKEPCandidateWindow down status 26 43 >/dev/null
  "$bin/kep-ui" IMKKEPCandidateWindow up status 26 43 >/dev/null
  sleep 1.5; printf 'ni'; sleep 2.5
}
shown=$(type_keys click_keys)
grep -q '<key>cn_en</key><dict><key>enabled</key><true/><key>status</key><integer>1<' <<<"$(state_of status)" ||
  fail "the click did not switch cn_en: $(state_of status)"
# In English the letters go into the document as they are, with no candidates.
last=$(grep -E '^> ' <<<"$shown" | tail -1)
[[ $last == '> ni|' ]] || fail "the server did not switch to English: '$last'"
grep -q '1你' <<<"$(tail -2 <<<"$shown")" && fail "candidates were still offered after the switch"

if [[ $failures -gt 0 ]]; then
  echo "status bar and V-mode end to end: $failures failure(s)"
  exit 1
fi
echo "status bar and V-mode end to end: passed"
