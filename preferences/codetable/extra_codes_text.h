// The extra codes as the user edits them: one "key value count" line per code in a text view.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "extra_codes.h"

namespace codetable {

// What a line keeps of its fields; longer ones are cut before the character that would cross
// the limit, so a cut never splits a UTF-8 sequence.
inline constexpr std::size_t kMaxExtraKeyBytes = 31;
inline constexpr std::size_t kMaxExtraValueBytes = 127;
inline constexpr std::size_t kMaxExtraCountChars = 8;

// The codes of an edited text, in text order. Per line: leading blanks are skipped, empty
// lines and lines whose first other character is "#" are comments; then a key, a value and
// an optional count (0 when absent or not a number), separated by blanks. A line holding a key
// alone gives nothing.
std::vector<ExtraCode> ParseExtraCodes(std::string_view text);

// The text the editor starts with: `header` (kept as given) and one "key value count" line
// per code.
std::string FormatExtraCodes(std::string_view header, const std::vector<ExtraCode>& codes);

// The longest start of `text` of at most `limit` bytes that ends on a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

}  // namespace codetable
