#include "converter/tablegen/opencc_text.h"

namespace converter::tablegen {

std::vector<DictionaryEntry> parse_dictionary_text(std::string_view contents, std::size_t* skipped) {
  std::vector<DictionaryEntry> entries;
  std::size_t bad = 0;
  while (!contents.empty()) {
    std::size_t end = contents.find('\n');
    std::string_view line = contents.substr(0, end);
    contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      ++bad;
      continue;
    }
    std::string_view simplified = line.substr(0, tab);
    std::string_view forms = line.substr(tab + 1);
    std::string_view first = forms.substr(0, forms.find(' '));
    if (simplified.empty() || first.empty()) {
      ++bad;
      continue;
    }
    entries.push_back({std::string(simplified), std::string(first)});
  }
  if (skipped) *skipped = bad;
  return entries;
}

}  // namespace converter::tablegen
