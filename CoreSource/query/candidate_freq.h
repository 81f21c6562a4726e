// Usage counts of candidates of every kind: read, raised when chosen, lowered when passed over,
// set, and deleted. Each kind keeps its count where it lives: single hanzi in hzfreq.db,
// dictionary words in their dictionary's frequency file, user words in their user-phrase item,
// code-table answers in their table's counter file or extra codes (cmphplug.h).
//
// A count is a field of a 32-bit frequency word: bits 24-30 with ime_freq_mode 0, bits 0-23
// otherwise; changes keep the other bits. A raised count stops at the field's largest value
// instead of wrapping to zero, which would drop the most used candidate to the bottom.
#pragma once

#include <cstdint>

#include "record/conversation.h"
#include "record/qrdb.h"

// The count field of a frequency word, in place (bits 24-30 unshifted, or bits 0-23).
std::uint32_t ime_counting_field(std::uint32_t word, int mode);
// Lowering: hanzi counters lose one class, or keep 7/10 of their count (0 below 10); user words
// likewise, but a count keeps at least 10 (and never rises by being lowered).
std::uint32_t ime_hanzi_freq_lowered(std::uint32_t word, int mode);
std::uint32_t ime_user_freq_lowered(std::uint32_t word, int mode);

// The learned count of an entry's source: single hanzi (the counter of how it was typed),
// dictionary words, user words (the count stored in the entry by the query); 0 for others.
std::uint32_t ime_get_hzfreq(const ime_qrdb_entry_t* entry);

// Raise / lower / set the count of a candidate. A single hanzi is found by its hanzi index and
// how it was typed (`jp`), a dictionary word by its dictionary number and word number, a user
// word by its syllables and text among the phrases the database holds, a code-table answer by
// its record number or, for an extra code, by its code and text. Candidates without a count,
// and rows outside their files, are left alone. 0.
int ime_inc_hzfreq(const ime_query_result_t* candidate);
int ime_dec_hzfreq(const ime_query_result_t* candidate);
int ime_set_hzfreq(const ime_query_result_t* candidate, std::uint32_t value);
// Raise / lower the count of a list entry of a dictionary or user word, without touching the
// user word's use count and time. 0.
int ime_inc_hzfreq2(const ime_qrdb_entry_t* entry);
int ime_dec_hzfreq2(const ime_qrdb_entry_t* entry);

// A user word chosen as it was offered first: one more use (up to 255) at the present time, its
// count left as it is. 0; -1 when the database no longer holds the word.
int ime_note_user_word_use(const ime_query_result_t* candidate);

// A dictionary word is marked deleted in its frequency file; a user word is removed from the
// user phrase database (a failed write of udb.lib is logged, the removal stands); other
// candidates are left alone. 0, or -1 when the user word is not held.
int ime_delete_user_phrase(const ime_query_result_t* candidate);
// Stores a committed phrase in the user phrase database: 0; -1 when it cannot be stored; -2
// when it is held in memory but udb.lib could not be written yet.
int ime_add_user_phrase(const ime_query_result_t* phrase);
