// Single-character queries: the hanzi of a typed syllable (or of an initial typed alone) from
// pinyin.db, and in traditional mode from the extension table pinyin2.db, added to a result
// list as lazy entries that ime_load_py_lazy (qrdb.h) turns into candidates.
//
// An entry's freq is the record's base frequency and its matval the learned counter plus the
// base frequency, so that learned use ranks before the shipped order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/tablefile.h"
#include "record/conversation.h"

// Tone mask of a typed tone: 1, 2, 3, 4 give 1, 2, 4, 8; anything else 15 (any tone).
int _ime_tone_val(int tone);

// True when the first `length` letters (at most 6) of `text` are a syllable of pinyin.db; its
// first record's offset goes to `*offset` when asked.
bool ime_is_valid_py(const char* text, std::size_t length, std::int64_t* offset);

// The hanzi of `syllable` in pinyin.db (`table` must be ime_py_info) whose tone mask shares a
// bit with `tone_mask` (15: any), added to list `list_code`; a negative code only counts them.
// Records of class 0 count only while ime_query_all is set; with accessory letters typed, a
// hanzi whose accessory codes all miss them is left out. The number of entries; -1 for an empty
// or unknown syllable, or a table not loaded.
int ime_query_py(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
                 const char* syllable, int list_code);
// The same over the extension table (`table` must be ime_pyext_info), scanned whole, without
// the class test; hanzi indexes there are moved up by 100000.
int ime_query_py2(ime_conversation_t* conversation, const ime_mmap_t* table, int tone_mask,
                  const char* syllable, int list_code);

// The hanzi of a typed syllable with its tone (0-4) and every fuzzy variant of it
// (fuzzy_pinyin.h); the extension table too when the engine is valid and the conversation is
// in traditional mode. A record that two variants both reach (z and zh) is added once. The
// number of entries added.
int ime_query_py_list(ime_conversation_t* conversation, int tone, const char* syllable,
                      int list_code);
