// The lookups of the spelling corrections: same-length corrections of syllable runs, runs of
// letters cut into the wrong syllables, English words typed among the pinyin, and letter
// strings the ordinary splitter cannot split. Keys are the two-character syllable form of
// syllable_forms.h. Every file is a read-only library; a missing, short or damaged file, or an
// empty group, is simply "not found" and leaves the input as it was.
#pragma once

#include <cstddef>

#include "sentenceparser/core/correction_group.h"

namespace sentence {

// py/mrc{n}.inx|dat under the data path. A key of n = 2..4 syllables (2n characters) that is a
// known mistyping becomes the corrected key of the same length: 1. Else 0, key unchanged.
int InPyRc(char* key, int n);

// cbe{n}.inx|dat by the resource lookup. A key of n = 2..7 syllables that was cut wrongly
// becomes its replacement (at most 7 syllables) and n its syllable count: 1. Else 0, both
// unchanged. `key` holds kCorrectionKeySize bytes.
int InPyBad(char* key, int* n);

// Room for an English word's display form, or its upper-case copy.
inline constexpr std::size_t kEnglishOutSize = 64;
inline constexpr int kEnglishWordMax = 18;

// Whether a lower-case string of 2..18 letters is an English word (py/e2 for two letters,
// filtered by the two-letter list while MarkUnresolved is on; py/em for longer ones): 1 with its
// display form in `out` (kEnglishOutSize bytes), else 0.
int InPyEN(const char* word, char* out);

// The display form of a known word from py/ee: 1 with it in `out` (kEnglishOutSize bytes).
// Else 0 with the word in upper case in `out` (cut to fit).
int GetENtrue(const char* word, char* out);

// Room the pre-split replacement may need in the caller's text.
inline constexpr std::size_t kPreSplitTextSize = 45;

// pyqy.inx|out by the resource lookup. A string of 4..44 characters whose first three are
// letters and whose stored replacement is longer than it becomes that replacement: 1. Else 0,
// text unchanged. `text` holds kPreSplitTextSize bytes.
int InPyQy(char* text);

// One probe each: record k of the group against the sought key, like strcmp; on equality the
// record's value goes to `value`. kProbeUnreadable when the record cannot be read.
// Same-length correction: the key's last n codes; value 2n + 1 bytes.
int BsrhPyRc(const CorrectionGroup& group, int k, const char* key, int n, char* value);
// Re-segmentation: the key after its indexed letters; value kCorrectionKeySize bytes.
int BsrhPyBad(const CorrectionGroup& group, int k, const char* key, int n, char* value);
// English word membership: the word after its first three letters.
int BsrhPyEN(const CorrectionGroup& group, int k, const char* word);
// Display form (value kEnglishOutSize bytes) and pre-split replacement (value
// kPreSplitTextSize bytes): the text after its first three letters against field 0.
int BsrhPyEE(const CorrectionGroup& group, int k, const char* word, char* value);
int BsrhCannot(const CorrectionGroup& group, int k, const char* text, char* value);

}  // namespace sentence
