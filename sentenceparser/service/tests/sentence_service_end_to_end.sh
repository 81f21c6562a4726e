#!/usr/bin/env bash
# The staged sentence service end to end: its port answers a conversion, and the engine, with
# the service in use, shows the service's sentence for syllables that no phrase covers.
#
#   sentence_service_end_to_end.sh BUILD_DIR STAGED_PROGRAM
set -euo pipefail
export LC_ALL=C  # replies are GBK bytes

build=$1
program=$2
port=KEPCPServerPort
kep_port=$build/bin/kep-port
kep_engine=$build/bin/kep-engine
# Syllable strings that no dictionary phrase covers as a whole, and whose characters the engine
# can read back itself.
sentences=(zhe_ge_ming_ling ta_shuai_wo)

scratch=$(mktemp -d /tmp/kep-sentence-e2e-XXXXXX)
service_pid=
cleanup() {
  if [[ -n $service_pid ]] && kill -0 "$service_pid" 2>/dev/null; then
    kill -KILL "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

export HOME=$scratch/home
export KEP_RUNTIME_DIR=$scratch/run
export KEP_ROOT=$build/root
mkdir -p "$HOME/Library/KEP"
mkdir -m 0700 "$KEP_RUNTIME_DIR"
chmod 0700 "$HOME/Library/KEP"
for folder in cz main mpp py; do
  [[ -d $KEP_ROOT/Library/TAV/$folder ]] || fail "the staged word libraries lack $folder"
done

start_service() {
  "$program" &
  service_pid=$!
  for _ in $(seq 200); do
    if [[ $("$kep_port" send "$port" 99 x --receive-timeout 2 2>/dev/null) == "no reply" ]]; then
      return 0
    fi
    kill -0 "$service_pid" 2>/dev/null || fail "the service ended while starting"
    sleep 0.05
  done
  fail "the service did not serve $port"
}

stop_service() {
  kill -TERM "$service_pid"
  local rc=0
  wait "$service_pid" || rc=$?
  service_pid=
  [[ $rc == 0 ]] || fail "the service ended with $rc after SIGTERM"
}

# Hex bytes of a reply (kep-port ends it with a line feed).
reply_hex() { "$kep_port" send "$port" "$@" | od -An -v -tx1 | tr -d ' \n'; }

# The first candidate of the last page that "kep-engine keys" shows for typing syllables
# joined by "_".
first_candidate() {
  "$kep_engine" keys "${1//_/}" | sed -n 's/^page: 1\.\([^ ]*\).*/\1/p' | tail -n 1
}

# The service's sentence for syllables joined by "_", in UTF-8.
service_sentence() {
  local reply text
  reply=$("$kep_port" send "$port" 100 "$1")
  text=${reply%%$'\xff'*}
  [[ $text == 000:* ]] || fail "100 $1 answered $reply"
  printf '%s' "${text#000:}" | iconv -f GBK -t UTF-8
}

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
# Hand-written learned words, the word alone on its line: read back to their pinyin at start.
mkdir -p -m 0700 "$HOME/Library/KEP/apr"
printf '%s\r\n%s\r\n' "$(gbk 你好)" "$(gbk 拟好)" > "$HOME/Library/KEP/apr/youxian.lib"

start_service

# The later of two learned words of equal count is the user's word for ni_hao.
[[ $(service_sentence ni_hao) == 拟好 ]] || fail "the hand-written 拟好 is not the answer to ni_hao"

# Text back to pinyin.
declare -A readings=([长_城]=chang-cheng [行]=xing [中_A]=zhong-A [银_行]=yin-hang
                     [中国_银_行_行_长]=zhong-guo-yin-hang-hang-zhang)
for text in "${!readings[@]}"; do
  reply=$("$kep_port" send "$port" 102 "$(gbk "$text")")
  [[ $reply == "000:${readings[$text]}" ]] || fail "102 $text answered $reply"
done
[[ $("$kep_port" send "$port" 102 '') == "002:Fill failed." ]] || fail "102 of nothing did not fail"
many=$(printf 'A_%.0s' $(seq 300))
reply=$("$kep_port" send "$port" 102 "${many%_}")
[[ $reply == "000:$(printf 'A-%.0s' $(seq 255))A" ]] || fail "102 of 300 items answered ${#reply} bytes"
# ni_hao: "000:", the learned 拟好 in GBK, 0xFF, one flag byte ("_" or "0") per item.
hex=$(reply_hex 100 ni_hao)
[[ $hex =~ ^3030303a(c4e2bac3)ff(5f|30)(5f|30)0a$ ]] || fail "100 ni_hao answered $hex"
[[ $("$kep_port" send "$port" 99 x) == "no reply" ]] || fail "99 was answered"

# Word segmentation over the generated word libraries, once the generator fills them: words,
# abbreviations and number words, and the measure word after a digit and the word between two
# digits from the context libraries, with one word-end flag per item.
if [[ -s $KEP_ROOT/Library/TAV/main/mgrm0.dat ]]; then
  declare -A expected=([wo_men_shi_zhong_guo_ren]=我们是中国人 [W_M_S_Z_G_R]=我们是中国人 [Z_G]=中国
                       [yi_er_san_si]=一二三四 [3_ge_,]=3个, [1_dao_2]=1到2)
  for pinyin in "${!expected[@]}"; do
    reply=$("$kep_port" send "$port" 100 "$pinyin")
    text=${reply%%$'\xff'*}
    flags=${reply#*$'\xff'}
    items=$(tr -cd '_' <<<"_$pinyin" | wc -c)
    [[ $text == 000:* ]] || fail "100 $pinyin answered $reply"
    got=$(printf '%s' "${text#000:}" | iconv -f GBK -t UTF-8)
    [[ $got == "${expected[$pinyin]}" ]] || fail "100 $pinyin gave '$got', not '${expected[$pinyin]}'"
    [[ $flags =~ ^[0_]*$ && ${#flags} == "$items" ]] || fail "100 $pinyin flagged '$flags'"
  done
fi
[[ $("$kep_port" send "$port" 101 ni_hao) == "002:Invalid format." ]] || fail "101 without 0xFF"

# The engine, with the service in use.
cat > "$HOME/Library/KEP/imkkep.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>EnableTAV</key>
	<true/>
</dict>
</plist>
PLIST
declare -A composed
for pinyin in "${sentences[@]}"; do
  composed[$pinyin]=$(service_sentence "$pinyin")
  shown=$(first_candidate "$pinyin")
  [[ $shown == "${composed[$pinyin]}" ]] ||
    fail "for $pinyin the engine shows '$shown' with the service in use, the service composed '${composed[$pinyin]}'"
done

stop_service
[[ $("$kep_port" send "$port" 99 x) == error* ]] || fail "the port still answers after SIGTERM"
learned=$(iconv -f GBK -t UTF-8 "$HOME/Library/KEP/apr/youxian.lib")
for line in "ni-hao 你好 1 U" "ni-hao 拟好 1 U"; do
  [[ $learned == *"$line"* ]] || fail "youxian.lib lacks '$line' after the service saved it"
done
# Without the service the engine composes its own sentences; at least one must differ, or the
# checks above could not tell the two apart.
differs=0
for pinyin in "${sentences[@]}"; do
  if [[ $(first_candidate "$pinyin") != "${composed[$pinyin]}" ]]; then differs=1; fi
done
[[ $differs == 1 ]] || fail "without the service the engine shows the same sentences: the check proves nothing"

echo "sentence service end to end: 1 passed, 0 failed"
