// The word lists kep-scel writes cell dictionaries from: UTF-8, one word a line,
//
//   zhong'guo 中国 900
//
// the syllables joined by "'", a blank, the word, and optionally a blank and a frequency.
// Empty lines are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "celldict/scel_writer.h"

namespace kep_scel {

// The words of the list, or nullopt with "line N: reason" in `error` for the first bad line.
std::optional<std::vector<scel::WriterWord>> parse_word_list(std::string_view text, std::string* error);

}  // namespace kep_scel
