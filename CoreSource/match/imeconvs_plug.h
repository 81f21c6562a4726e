// Code-table matching: the keys are a code of the open code table (cmphplug.h) and its answers
// are the candidates. A code the table does not know is given back with IME_MATCH_RETRY
// (-9999): ime_plug_mode is then 1 and the host types the same keys into the full-pinyin
// matcher as IME_KEY_RETRY, which splits them as pinyin; while ime_plug_mode is 1 the host
// also gives the selection keys (digits, Space) to the full-pinyin matcher.
//
// A code-table selection always commits. It lowers the count of every answer on offer and sets
// the chosen one's to ime_hzfreq_val + 1, which ranks it earlier the next time the code is typed.
#pragma once

#include "record/conversation.h"

// Handles one key in code-table mode. IME_MATCH_SHOW, IME_MATCH_COMMITTED, IME_MATCH_NOT_MINE or
// IME_MATCH_RETRY.
int ime_convs_match_plug(ime_conversation_t* conversation, int key);

// The key editor of code tables: edits the keys at the cursor (cursor keys, Backspace, Delete,
// a printable key; IME_KEY_COMMIT_RAW types "."); `outbuf` becomes the keys. 0, or
// IME_PUSH_NOTHING_LEFT (99) when no key is left.
int ime_convs_push_key_plug(ime_conversation_t* conversation, int key);
