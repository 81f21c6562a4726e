#!/usr/bin/env bash
# The staged window program as the server drives it: the server starts it, a client types, the
# candidate window's files show the page beside the caret, a commit hides it, a second copy is
# refused and SIGTERM ends it. Arguments: the staged root, the folder of the built tools and the
# window-file checker.
set -euo pipefail
root=$1
bin=$2
check=$3
server="$root/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP"
program="$root/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPCandidateWindow.app/Contents/MacOS/IMKKEPCandidateWindow"

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/e2e_scratch.sh"
e2e_scratch candidate-e2e
export KEP_ROOT="$root"
export KEP_RENDER_DIR="$work/render"
unset KEP_SCREENS
mkdir -m 700 "$KEP_RENDER_DIR"
state="$KEP_RENDER_DIR/windows/IMKKEPCandidateWindow/candidate.state"
picture="$KEP_RENDER_DIR/windows/IMKKEPCandidateWindow/candidate.png"

# wait_for_state PATTERN: the window state comes to have a line matching the pattern (the window
# program draws after the server's answer to the key).
wait_for_state() {
  local facts=""
  for _ in $(seq 50); do
    facts=$("$check" state "$state" 2>&1 || true)
    if grep -qE -- "$1" <<<"$facts"; then return 0; fi
    sleep 0.1
  done
  fail "the candidate window's state never matched '$1':"$'\n'"$facts"
  return 1
}
# The process running the window program for this test's runtime folder.
window_program_pid() {
  local pid
  for pid in /proc/[0-9]*; do
    if [[ $(readlink "$pid/exe" 2>/dev/null) == */IMKKEPCandidateWindow ]] &&
      grep -qxzF "KEP_RUNTIME_DIR=$KEP_RUNTIME_DIR" "$pid/environ" 2>/dev/null; then
      echo "${pid#/proc/}"
    fi
  done
}


"$server" 2>>"$work/server.log" &
server_pid=$!
pids+=("$server_pid")
wait_for_file "$KEP_RUNTIME_DIR/KEPInputConnectionName.imk"
# The server starts the window program, which writes its hidden windows at once.
wait_for_file "$state"
mapfile -t companions < <(children_of "$server_pid")
pids+=("${companions[@]}")
window_pid=$(window_program_pid)
[[ -n $window_pid ]] || fail "the server did not start the window program"
wait_for_state '^visible=false$'

# A second copy finds the port taken and says so.
status=0
"$program" 2>"$work/second.log" || status=$?
[[ $status -eq 1 ]] || fail "a second window program exited with $status"
grep -q "another copy already serves 'IMKKEPCANDIDATEWINDOW_RECEIVER'" "$work/second.log" ||
  fail "the second copy did not say why it ended: $(cat "$work/second.log")"

# Typing shows the page: its labels, the window visible, beside the caret the client reports.
out=$("$bin/kep-imk-client" 'nihao' 2>&1)
wait_for_state '^label=.*你好'
facts=$("$check" state "$state")
grep -qx 'visible=true' <<<"$facts" || fail "the page is not shown:"$'\n'"$facts"
# The client answers where its caret line is: "query: line_rect N -> X,Y,W,H".
caret=$(grep -oE 'query: line_rect [0-9]+ -> [-0-9.]+,[-0-9.]+' <<<"$out" | head -1 | sed -E 's/.* -> //')
frame=$(grep -oE '^frame=.*' <<<"$facts" | sed 's/^frame=//')
if [[ -z $caret || -z $frame ]]; then
  fail "no caret ($caret) or frame ($frame):"$'\n'"$out"$'\n'"$facts"
else
  IFS=, read -r caret_x caret_y <<<"$caret"
  IFS=, read -r frame_x frame_y frame_w frame_h <<<"$frame"
  # Beside the caret: the box starts near the caret's x and lies just below the caret line.
  awk -v cx="$caret_x" -v cy="$caret_y" -v fx="$frame_x" -v fy="$frame_y" -v fw="$frame_w" \
    -v fh="$frame_h" 'BEGIN { exit !(fw > 0 && fh > 0 && fx <= cx + 20 && fx + fw >= cx &&
                                    fy + fh <= cy + 20 && fy + fh >= cy - 80) }' ||
    fail "frame $frame is not beside the caret $caret"
fi
# The plain box of the default settings: black at 95% opacity inside, a transparent margin around.
"$check" picture "$picture" 000000 242 || fail "the picture is not the plain box on a transparent margin"

# A commit hides the window.
"$bin/kep-imk-client" 'nihao<space>' >/dev/null 2>&1
wait_for_state '^visible=false$'

# SIGTERM ends the program cleanly (it stays a zombie until the server, its parent, reaps it).
running() {
  local fields
  read -r -a fields <"/proc/$1/stat" 2>/dev/null || return 1
  [[ ${fields[2]} != Z ]]
}
if [[ -n $window_pid ]]; then
  kill -TERM "$window_pid"
  for _ in $(seq 50); do
    running "$window_pid" || break
    sleep 0.1
  done
  if running "$window_pid"; then fail "the window program outlived SIGTERM"; fi
fi

if [[ $failures -ne 0 ]]; then
  echo "--- server log" >&2
  cat "$work/server.log" >&2 || true
  exit 1
fi
echo "candidate window end to end: ok"
