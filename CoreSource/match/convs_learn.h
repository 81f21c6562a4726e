// Learning at commit: the phrase the user put together goes into the user phrase database (and,
// when the sentence service is in use, its corrections to the service).
#pragma once

#include "record/conversation.h"

// Learns the chosen segments of a commit, unless the commit came in a burst of keys (the
// selecting key less than ime_duration_delay after the key before it), the keys were a string
// (i, u, V, D modes) or a code table answered them. A single chosen segment is learned only when
// it is the composed sentence; several only when no dictionary phrase of the whole input has
// the same text.
void ime_convs_learn_commit(ime_conversation_t* conversation);

// The phrase of the chosen segments: syllable codes, tones and both texts joined. false when
// they do not fit one candidate (60 syllables, 180 bytes of text): such a phrase is not learned.
bool ime_convs_join_segments(const ime_conversation_t* conversation, ime_query_result_t* phrase);

// The longest phrase the user phrase database is given.
inline constexpr int IME_LEARN_MAX_SYLLABLES = 8;
// Shorter sentences are not worth teaching the sentence service.
inline constexpr int IME_LEARN_SERVICE_MIN_SYLLABLES = 5;
