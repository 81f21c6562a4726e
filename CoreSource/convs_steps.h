// Steps the full-pinyin matcher shares between its files (not for hosts).
#pragma once

#include "conversation.h"

// Re-queries when the keys are pinyin, or shows the raw keys (and their abbreviation, when they
// are one) in D-mode; then builds and shows page `page`. IME_MATCH_SHOW.
int ime_convs_requery_and_show(ime_conversation_t* conversation);
// Builds list 3 and the output after a key, then shows page `page`. IME_MATCH_SHOW.
int ime_convs_build_and_show(ime_conversation_t* conversation);

// Selects candidate `number` (1-9) of the page: the chosen segment, frequency learning, and the
// commit or re-query that follows. A matcher result.
int ime_convs_select(ime_conversation_t* conversation, int number);

// Frequency learning of a selection of candidate `i` of page `page` (imeconvs_freq.cpp).
void ime_convs_learn_selection(ime_conversation_t* conversation, int i);
