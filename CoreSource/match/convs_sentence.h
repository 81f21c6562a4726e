// The whole-sentence candidate of the unchosen syllables, composed by the sentence service when
// it is in use and answers, else greedily from the longest phrases (imeconvs2.cpp).
#pragma once

#include <chrono>

#include "record/conversation.h"

enum class ime_service_sentence {
  Composed,  // `sentence` holds the service's sentence
  None,      // the service answered, but its sentence does not fit what was typed: none shown
  Failed,    // no usable answer: compose greedily instead
};

// Asks the sentence service for the syllables pyoff..pynum.
ime_service_sentence ime_compose_by_service(ime_conversation_t* conversation);

// Whether the sentence service is to be asked now: its word libraries are installed
// (ime_full_convert), the setting EnableTAV is on, and it has not just left a request
// unanswered. A service that let a request time out is left alone for a while, so that a hung
// service costs one time-out now and then instead of one on every key.
bool ime_sentence_service_in_use();
// Records how a request went and how long it took.
void ime_sentence_service_answered(bool answered, std::chrono::steady_clock::duration took);
// Forgets an unanswered request (tests, and a host that knows the service was restarted).
void ime_sentence_service_forget_failures();
