#include "split/py_suggestions.h"

#include "split/py_split_rules.h"
#include "tables/py_syllables.h"

std::optional<std::pair<std::string, std::string>> ime_parse_suggestion_line(std::string_view line,
                                                                             std::string* why) {
  if (why != nullptr) why->clear();
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line[0] == '#') return std::nullopt;
  auto refuse = [&](const char* reason) {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  };
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return refuse("no tab between the letters and the split");
  const std::string_view letters = line.substr(0, tab);
  const std::string_view split = line.substr(tab + 1);
  if (letters.empty() || letters.size() > IME_SPLIT_MAX_LETTERS) return refuse("letters missing or too many");

  std::string joined;
  std::size_t syllables = 0;
  std::size_t start = 0;
  while (start <= split.size()) {
    std::size_t end = split.find('\'', start);
    if (end == std::string_view::npos) end = split.size();
    if (!ime_py_is_syllable(split.substr(start, end - start))) return refuse("a piece of the split is no syllable");
    if (++syllables > IME_SPLIT_MAX_SYLLABLES) return refuse("more syllables than a split holds");
    joined.append(split.substr(start, end - start));
    start = end + 1;
  }
  if (joined != letters) return refuse("the split does not spell the letters");
  return std::make_pair(std::string(letters), std::string(split));
}

QASuggestionTable ime_parse_suggestion_table(std::string_view text, std::size_t* skipped) {
  QASuggestionTable table;
  std::size_t bad = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::string why;
    if (auto entry = ime_parse_suggestion_line(line, &why)) {
      table.splits.insert(std::move(*entry));
    } else if (!why.empty()) {
      ++bad;
    }
  }
  if (skipped != nullptr) *skipped = bad;
  return table;
}

std::string ime_format_suggestion_table(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text = "# Suggested splits: letters, a tab, the syllables joined with \"'\".\n";
  for (const auto& [letters, split] : entries) text += letters + "\t" + split + "\n";
  return text;
}

const std::string* ime_find_suggestion(const QASuggestionTable* table, std::string_view letters) {
  if (table == nullptr) return nullptr;
  auto found = table->splits.find(std::string(letters));
  return found != table->splits.end() ? &found->second : nullptr;
}
