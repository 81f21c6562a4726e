#!/usr/bin/env bash
# The staged server with the staged updater it starts itself: a cell dictionary that the
# update service names as renewed is downloaded, staged as __new__<name>, announced, and
# swapped in at the server's next activation, and its word is offered. Arguments: the staged
# root, the folder of the built tools and the window-file checker.
set -euo pipefail
root=$1
bin=$2
check=$3
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch updater-e2e
export KEP_ROOT="$root"
export KEP_RENDER_DIR="$work/render"
unset KEP_SCREENS
mkdir -m 700 "$KEP_RENDER_DIR"
candidates="$KEP_RENDER_DIR/windows/IMKKEPCandidateWindow/candidate.state"

data="$HOME/Library/KEP"
dictionaries="$data/Dictionary"
mkdir -p "$dictionaries" "$work/service"
chmod 700 "$HOME/Library" "$data"
: >"$data/__debug"

# The installed cell dictionary, and its renewed version on the service.
printf "qi'ling 旗岭 100\n" >"$work/old.txt"
printf "qi'ling 骑菱 100\n" >"$work/new.txt"
"$bin/kep-scel" write "$work/1234.scel" --name Old --uid 1234 --version 1262304000 --words "$work/old.txt"
"$bin/kep-scel" import "$work/1234.scel" >/dev/null
[[ -f $dictionaries/1234.scel/dict.info ]] || fail "the installed dictionary was not built"
"$bin/kep-scel" write "$work/service/new.scel" --name New --uid 1234 --version 1293840000 \
  --samples 骑菱 --words "$work/new.txt"

"$bin/kep-httpd" --rules "$work/service/rules" --port-file "$work/service/port" \
  --request-log "$work/service/requests" 2>>"$work/httpd.log" &
pids+=("$!")
# The rules name the port, so they are written once the server listens.
: >"$work/service/rules"
# kep-httpd writes its port file atomically once it listens.
wait_for_file "$work/service/port"
port=$(tr -d '\n' <"$work/service/port")
[[ $port =~ ^[0-9]+$ ]] || fail "kep-httpd wrote no port: $port"
service="http://127.0.0.1:$port"
printf '%s\n' "/dict/upt_cell_dict.php length 1234|2011-01-01 08:00:00|$service/new.scel" \
  "/new.scel length @new.scel" >"$work/service/rules"

# The updater's short waits, as its user defaults.
mkdir -p "$HOME/Library/Preferences"
cat >"$HOME/Library/Preferences/com.corvana.kepcelldictupdater.imkkep.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>KEPCellDictUpdateURL</key><string>$service</string>
	<key>KEPCellDictFirstDelay</key><real>0</real>
	<key>KEPCellDictWaitStep</key><real>0.1</real>
	<key>KEPCellDictNoticeTime</key><real>0.5</real>
	<key>KEPCellDictNoticeFade</key><real>0.1</real>
</dict>
</plist>
PLIST

# The server starts the updater (DaruzDictAutoUpdate is on by default).
"$server" 2>>"$work/server.log" &
server_pid=$!
pids+=("$server_pid")
wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"

staged_complete() { [[ -f $dictionaries/__new__1234.scel/dict.info && ! -e $dictionaries/.1234.scel ]]; }
eventually "the renewed dictionary staged" staged_complete
grep -qxF "GET /dict/upt_cell_dict.php?id=1234	KEP_UPDATER" "$work/service/requests" ||
  fail "no update query with the updater's agent in: $(cat "$work/service/requests")"
grep -qxF "GET /new.scel	KEP_UPDATER" "$work/service/requests" || fail "the renewed dictionary was not downloaded"
[[ $(cat "$dictionaries/1234.scel/version.info") == 1262304000 ]] || fail "the installed folder changed before the swap"

# The updater's notice reaches the server; the next activation swaps the folder in.
notice_taken() { tr -d '\0' <"$work/server.log" | grep -q 'Receive a daruz cell dictionary update notification'; }
eventually "the updater's notice taken by the server" notice_taken
"$bin/kep-imk-client" 'a<esc>' >/dev/null 2>&1
[[ ! -e $dictionaries/__new__1234.scel ]] || fail "the staged folder is still there after the activation"
[[ -d $dictionaries/1234.scel ]] || fail "the dictionary's folder is gone"
[[ $(cat "$dictionaries/1234.scel/version.info" 2>/dev/null) == 1293840000 ]] ||
  fail "the renewed dictionary was not swapped in"
# The renewed word is among the candidates of its pinyin.
"$bin/kep-imk-client" 'qiling' >/dev/null 2>&1
offered() { "$check" state "$candidates" 2>/dev/null | grep -q '^label=.*骑菱'; }
eventually "the renewed word offered" offered || "$check" state "$candidates" >&2 || true

if [[ $failures -gt 0 ]]; then
  echo "--- server log" >&2
  tr -d '\0' <"$work/server.log" >&2 || true
  echo "--- service requests" >&2
  cat "$work/service/requests" >&2 || true
  exit 1
fi
echo "all updater end-to-end checks passed"
