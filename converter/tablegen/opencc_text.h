// Reading the text form of the open simplified-to-traditional dictionaries (as dumped by
// opencc_dict): "<simplified>\t<traditional> [<alternative> ...]" per line, UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace converter::tablegen {

struct DictionaryEntry {
  std::string simplified;
  std::string traditional;  // the first (preferred) traditional form
};

// Entries in file order. Lines without a tab or with an empty side are skipped and counted.
std::vector<DictionaryEntry> parse_dictionary_text(std::string_view contents, std::size_t* skipped);

}  // namespace converter::tablegen
