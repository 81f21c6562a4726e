#!/usr/bin/env bash
# The staged server program as applications reach it: typing through kep-imk-client, the
# candidate window's messages seen by kep-port serve, a hostile message on the server's own
# port, and power-off. Arguments: the staged root and the folder of the built tools.
set -euo pipefail
root=$1
bin=$2
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/e2e_scratch.sh"
e2e_scratch server-e2e
export KEP_ROOT="$root"
# expect NAME OUTPUT PATTERN: the output has a line matching the pattern.
expect() {
  if ! grep -qE -- "$3" <<<"$2"; then fail "$1: no line matches '$3' in:"$'\n'"$2"; fi
}
reject() {
  if grep -qE -- "$3" <<<"$2"; then fail "$1: a line matches '$3' in:"$'\n'"$2"; fi
}
client() { "$bin/kep-imk-client" "$@" 2>&1; }
# expect_window NAME PATTERN: the window's messages come to have a line matching the pattern.
window_has() { grep -qE -- "$1" "$work/window.log"; }
expect_window() {
  eventually "$1" window_has "$2" || echo "--- window messages:"$'\n'"$(cat "$work/window.log")" >&2
}


start_server() {
  "$server" 2>>"$work/server.log" &
  server_pid=$!
  pids+=("$server_pid")
  wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"
}

# The server's own log lines (dictionary swaps among them) are written.
mkdir -p "$HOME/Library/KEP"
: >"$HOME/Library/KEP/__debug"
start_server
# The server starts the converter and the sentence service itself, once each; a second server
# finds its name taken and starts nothing.
wait_for_file "$KEP_RUNTIME_DIR/KEPCCServerPort.port"
wait_for_file "$KEP_RUNTIME_DIR/KEPCPServerPort.port"
mapfile -t companions < <(children_of "$server_pid")
pids+=("${companions[@]}")
# The converter, the sentence service, the candidate window and the cell-dictionary updater.
[[ ${#companions[@]} -eq 4 ]] || fail "four companions expected, the server started: ${companions[*]}"
status=0
"$server" 2>>"$work/server.log" || status=$?
[[ $status -ne 0 ]] || fail "a second server started"
# Converters of this test's runtime folder (other tests may run theirs beside it).
converters=0
for pid in /proc/[0-9]*; do
  if [[ $(readlink "$pid/exe" 2>/dev/null) == */IMKKEPSimp2TradConverter ]] &&
    grep -qxzF "KEP_RUNTIME_DIR=$KEP_RUNTIME_DIR" "$pid/environ" 2>/dev/null; then
    converters=$((converters + 1))
  fi
done
[[ $converters -eq 1 ]] || fail "$converters converters run after a second server start"

# Typing and committing.
out=$(client 'nihao<space>'); expect nihao "$out" '^insert: 你好$'
out=$(client 'zhongguo<space>'); expect zhongguo "$out" '^insert: 中国$'
# Two Backspaces after "ni" remove the marked text, with the client's own "not found".
out=$(client 'ni<bs><bs>'); expect backspace-64 "$out" '^marked:  sel=9223372036854775807,0 repl=9223372036854775807,0 underline=none$'
out=$(client --word-width 32 'ni<bs><bs>'); expect backspace-32 "$out" '^marked:  sel=2147483647,0 repl=2147483647,0 underline=none$'
# The composition is marked as converted text: underlined once.
out=$(client 'ni'); expect marked-style "$out" '^marked: ni sel=2,0 repl=[0-9]+,[0-9]+ underline=single$'
# Default page masks: ',' after typing turns a page rather than committing.
out=$(client 'nihao,'); reject page-key "$out" '^insert:'
# ',' with nothing typed is the full-width comma; digits and the dot after them stay half-width.
out=$(client ','); expect comma "$out" '^insert: ，$'
out=$(client '3.14'); reject digits "$out" '^insert:'; reject digits "$out" '^handled: yes$'
out=$(client 'www.'); reject www "$out" '^insert:'; expect www "$out" "^marked: www\\."

# The candidate window's messages, with kep-port serving its port in place of the window program.
for pid in "${companions[@]}"; do
  if [[ $(readlink "/proc/$pid/exe" 2>/dev/null) == */IMKKEPCandidateWindow ]]; then
    kill -TERM "$pid"
    while [[ -e "/proc/$pid" && $(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) != Z ]]; do sleep 0.1; done
  fi
done
"$bin/kep-port" serve IMKKEPCANDIDATEWINDOW_RECEIVER >"$work/window.log" 2>&1 &
pids+=("$!")
wait_for_file "$KEP_RUNTIME_DIR/IMKKEPCANDIDATEWINDOW_RECEIVER.port"
client 'nih<space>' >/dev/null
expect_window window-100 '^id 100'
expect_window window-106 '^id 106'
expect_window window-candidates '<key>CANDIDATES</key>'
expect_window window-commit-104 '^id 104'

# Shift as the switch key (the default): a tap turns English on, and the status says so.
: >"$work/window.log"
out=$(client '<shift-tap>ab'); expect shift-english "$out" '^handled: no$'; reject shift-english "$out" '^marked: a'
expect_window shift-status '<key>ENGLISH</key>'
# While candidates show, a Shift tap is refused: the composition stays and nothing is committed.
out=$(client 'nihao<shift-tap>o'); reject shift-composing "$out" '^insert:'
expect shift-composing "$out" "^marked: ni'hao'o "
# Menu items: full-width punctuation off and on again, traditional output in the page.
# (a half-width ',' is the application's own: not handled, nothing inserted by the server).
out=$(client --menu '<menu:1002>,<menu:1002>,')
expect menu-punct "$out" '^handled: no$'
[[ $(grep -c '^insert:' <<<"$out") -eq 1 ]] || fail "menu-punct: one insert expected in: $out"
expect menu-punct "$out" '^insert: ，$'
expect menu-listing "$out" '^item: 1002 .* state=1 key="S" modifiers=0x60000$'
out=$(client '<menu:1010>guojia<space>'); expect menu-traditional "$out" '^insert: 國家$'

# The release notes and the web pages are recorded for the desktop; no shell, no program runs.
client '<menu:1103><menu:1104><menu:1106>' >/dev/null
workspace=$(cut -f3- "$KEP_RUNTIME_DIR/workspace.log" 2>/dev/null || true)
expect release-notes "$workspace" $'^open-document\t.*/ReleaseNote\.rtf\t$'
expect help-page "$workspace" $'^open-url\thttps://kep\.example\.org/wordpress/[?]page_id=15$'
expect blog-page "$workspace" $'^open-url\thttps://kep\.example\.org/wordpress/[?]cat=1$'

# A client that dies in the middle of a composition leaves the server serving the others.
"$bin/kep-imk-client" "$(printf 'zhonghuarenmingongheguo%.0s' $(seq 200))" >/dev/null 2>&1 &
dying=$!
sleep 0.5
kill -KILL "$dying" 2>/dev/null || true
wait "$dying" 2>/dev/null || true
kill -0 "$server_pid" 2>/dev/null || fail "the server ended when a client died mid-composition"
out=$(client 'nihao<space>'); expect after-dying-client "$out" '^insert: 你好$'

# A hostile status message on the server's own port does not bring it down.
"$bin/kep-port" send "com.corvana.inputmethod.kep.imkcandishow.$server_pid" 113 'not a plist' \
  --no-wait >/dev/null 2>&1 || true
"$bin/kep-port" send "com.corvana.inputmethod.kep.imkcandishow.$server_pid" 256 '' \
  --no-wait >/dev/null 2>&1 || true
out=$(client 'nihao<space>'); expect after-hostile "$out" '^insert: 你好$'

# A rebuilt dictionary: left alone while its builder's lock is there, swapped in at the next
# activation once the builder is done and has said so.
dictionaries="$HOME/Library/KEP/Dictionary"
mkdir -p "$dictionaries"
printf "qi'ling 旗岭\n" >"$work/old.txt"
printf "qi'ling 骑菱\n" >"$work/new.txt"
"$bin/kep-dict" build "$dictionaries/foo" "$work/old.txt" >/dev/null
"$bin/kep-dict" build "$dictionaries/__new__foo" "$work/new.txt" >/dev/null
cp "$dictionaries/__new__foo/dict.db" "$work/new-dict.db"
printf X >"$dictionaries/.foo"
"$bin/kep-notify" post DARUZ_DICT_UPDATED IMKKEP
client 'a<esc>' >/dev/null
[[ -d $dictionaries/__new__foo ]] || fail "a locked staging folder was swapped in"
cmp -s "$dictionaries/foo/dict.db" "$work/new-dict.db" && fail "a locked dictionary was replaced"
rm "$dictionaries/.foo"
# The notice and the next activation reach the server by different roads: the activation must
# come after the notice was taken in.
notices() { grep -c 'Receive a daruz cell dictionary update notification' "$work/server.log" || true; }
notices_before=$(notices)
"$bin/kep-notify" post DARUZ_DICT_UPDATED IMKKEP
notice_taken() { [[ $(notices) -gt $notices_before ]]; }
eventually "the second dictionary notice" notice_taken
client 'a<esc>' >/dev/null
[[ ! -e $dictionaries/__new__foo ]] || fail "the staging folder stayed after the lock went"
cmp -s "$dictionaries/foo/dict.db" "$work/new-dict.db" || fail "foo was not replaced"
expect swap-log "$(tr -d '\0' <"$work/server.log")" "Move .*/__new__foo ==> .*/foo$"

# The user dictionary manager's save is answered only once udb.lib holds the phrases.
notify_sockets() { find "$KEP_RUNTIME_DIR" -maxdepth 1 -name '*.notify' | wc -l; }
# saved_after_save TIMEOUT: posts KEPUDBSave and succeeds when KEPUDBSaved arrives in time.
saved_after_save() {
  local before waiter
  before=$(notify_sockets)
  "$bin/kep-notify" wait KEPUDBSaved KEP --timeout "$1" 2>/dev/null &
  waiter=$!
  waiter_listens() { [[ $(notify_sockets) -gt $before ]]; }
  eventually "kep-notify waiting" waiter_listens
  "$bin/kep-notify" post KEPUDBSave JEV
  wait "$waiter"
}
udb="$HOME/Library/KEP/udb.lib"
rm -f "$udb"
mkdir "$udb"  # a folder in its place: the save cannot write
if saved_after_save 2; then fail "a failed save was answered"; fi
rmdir "$udb"
saved_after_save 60 || fail "no KEPUDBSaved after a save"
[[ -f $udb ]] || fail "the save did not write udb.lib"

# Power-off: the learned phrases are written and the server exits 0.
client 'zhong<space>guo<space>' >/dev/null
kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
[[ $status -eq 0 ]] || fail "the server exited $status after SIGTERM"
[[ -s $HOME/Library/KEP/udb.lib ]] || fail "udb.lib was not written at power-off"

# Traditional output through the converter service the first server started.
settings="$HOME/Library/KEP/imkkep.plist"
# The copied default settings name TraditionalOutput with <false/> on the following line.
sed -i '/<key>TraditionalOutput<\/key>/{n;s|<false/>|<true/>|}' "$settings"
grep -A1 '<key>TraditionalOutput</key>' "$settings" | grep -q '<true/>' ||
  fail "TraditionalOutput could not be turned on in $settings"
start_server
out=$(client 'zhongguo<space>'); expect traditional "$out" '^insert: 中國$'

if [[ $failures -gt 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  exit 1
fi
echo "all end-to-end checks passed"
