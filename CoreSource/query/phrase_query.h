// Phrase queries: the words of the user phrase database and of every open dictionary whose
// syllables match a span of the typed syllables, longest spans first.
#pragma once

#include "record/conversation.h"

// The words of dictionary `dictionary` (its number in the pool, dictpool.h) for the spans
// first..last, first..last-1, down to first..first+1, with the tones the user gave. Sets bit 0
// of ime_am_flag when words cover the whole span first..last. A negative list code only
// counts. The number of entries of the whole span; 0 for a dictionary not open or a span
// outside the typed syllables.
int ime_query_phrase(ime_conversation_t* conversation, int dictionary, int first, int last,
                     int list_code);
// User words first, then every open dictionary in pool order. 0.
int ime_query_phrase_list(ime_conversation_t* conversation, int first, int last, int list_code);
