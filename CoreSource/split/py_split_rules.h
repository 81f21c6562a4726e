// The splitter's rules: which letters make a syllable, and the greedy left-to-right cut of a
// run of letters into the longest syllables, with the look-ahead rules for the boundaries where
// a letter could end one syllable or start the next ("xianai": xian'ai, "fangan": fang'an,
// "jineng": ji'neng).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "split/py_context.h"

// A split never holds more syllables than a conversation can.
inline constexpr std::size_t IME_SPLIT_MAX_SYLLABLES = 60;
// Nor more letters than it holds keys.
inline constexpr std::size_t IME_SPLIT_MAX_LETTERS = 256;

// What widens the syllable test beyond the table: with fuzzy pinyin the spellings of the
// z/zh, c/ch and s/sh pairs that exist only on the other side of the pair.
struct QASplitOptions {
  bool fuzzy_z2zh = false;
  bool fuzzy_c2ch = false;
  bool fuzzy_s2sh = false;
};

// The options the settings give (nothing while fuzzy pinyin is off).
QASplitOptions ime_split_options_from_settings();

// Whether `text` is a syllable or the start of one. A trailing IME_PY_DROPPED_MARK is ignored
// and a trailing IME_PY_NG_MARK reads as "ng". A lone letter other than i, u and v counts (an
// initial typed alone), as do "zh", "ch" and "sh".
bool ime_py_valid(std::string_view text, const QASplitOptions& options);
// The same with the settings' options.
bool QAIsValidPY(const char* text, std::size_t n);
// Whether 1-2 letters are an initial ("b" ... "w", "zh", "ch", "sh").
bool QAIsSM(const char* text, std::size_t n);

// A token's text as a plain syllable: the correction markers resolved ("xiu?" -> "xiu",
// "xio^" -> "xiong").
std::string QANormalizeSyllable(std::string_view text);

// Cuts `normalized` (the letters after the corrections) into tokens, `typed` being the letters
// as typed, of the same length. Apostrophes close a syllable and mark it fixed. false when the
// letters cannot be split: an apostrophe, digit, i, u or v where a syllable would start, a last
// syllable that is not valid, or more than IME_SPLIT_MAX_SYLLABLES syllables. `tokens` is
// replaced.
bool ime_py_greedy_split(std::string_view normalized, std::string_view typed,
                         const QASplitOptions& options, std::vector<QAContextToken>* tokens);
