#!/usr/bin/env bash
# The scheme the pane saves is the one the staged server types with after the next activation:
# a user scheme in the data folder, named by SPC as the pane writes it, replaces the shipped
# one without restarting the server. Arguments: the staged root and the folder of the tools.
set -euo pipefail
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch doublepinyin-e2e
export KEP_ROOT="$root"
data="$HOME/Library/KEP"
mkdir -p -m 700 "$data"

# settings SPC: what the preferences program writes after the pane saved its two keys.
settings() {
  cat >"$data/.imkkep.plist.new" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>EnableDoublePinyin</key>
	<true/>
	<key>SPC</key>
	<string>$1</string>
</dict>
</plist>
PLIST
  mv "$data/.imkkep.plist.new" "$data/imkkep.plist"
}
# typed NAME KEYS EXPECTED: after an activation the keys commit the expected text.
typed() {
  local out
  out=$("$bin/kep-imk-client" "<activate>$2<space>" 2>&1)
  grep -qxF "insert: $3" <<<"$out" || fail "$1: '$2' did not commit '$3':"$'\n'"$out"
}

# The user's scheme: the shipped Xiaohe layout with "ong" and "iong" moved to the x key.
sed 's/^ong=s$/ong=x/; s/^iong=s$/iong=x/' "$root/Library/Components/KEP.component/Contents/Resources/xiaohe.spc" >"$data/mine.spc"
grep -qx 'ong=x' "$data/mine.spc" || fail "the shipped scheme has no 'ong=s' line to move"

settings xiaohe.spc
"$server" 2>>"$work/server.log" &
pids+=("$!")
wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"
typed shipped vs 中
typed shipped-x vx 抓

# The modification time decides the reload; one second on, whatever the file system keeps.
sleep 1.1
settings mine.spc
typed chosen vx 中

if [[ $failures -ne 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  exit 1
fi
echo "chosen scheme end to end: ok"
