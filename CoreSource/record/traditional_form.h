// The traditional form of a sentence composed by the sentence service costs a request to the
// script converter, so it is made only when something wants it: the sentence shown or written
// in traditional mode, or learned (the user phrase keeps both forms). Until then the simplified
// text stands in for it and the sentence is marked, in `flag`, as having none yet; every copy of
// the sentence (result object, page, chosen segment) carries the mark along.
#pragma once

#include <cstdint>

#include "record/conversation.h"

// `flag` of a type-4 result: `thz` holds the simplified text, no traditional form asked yet.
inline constexpr std::uint8_t IME_FLAG_NO_TRADITIONAL_YET = 0x80;

// Puts the simplified text in place of the traditional one and marks the result.
void ime_defer_traditional(ime_query_result_t* result);

// True for a result marked by ime_defer_traditional and not made since.
bool ime_traditional_deferred(const ime_query_result_t& result);

// Asks the converter for the traditional form of a marked result and clears the mark; when the
// converter does not answer the simplified text stays (and is not asked again). Results with
// no mark are left alone, so calling it again costs nothing.
void ime_make_traditional(ime_query_result_t* result);
