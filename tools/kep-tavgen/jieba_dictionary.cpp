#include "jieba_dictionary.h"

#include <algorithm>
#include <charconv>

#include "source_text.h"

namespace tavgen {

namespace {

std::string_view next_field(std::string_view* line) {
  const std::size_t start = line->find_first_not_of(" \t\r");
  if (start == std::string_view::npos) {
    *line = {};
    return {};
  }
  line->remove_prefix(start);
  const std::size_t end = line->find_first_of(" \t\r");
  const std::string_view field = line->substr(0, end);
  line->remove_prefix(end == std::string_view::npos ? line->size() : end);
  return field;
}

}  // namespace

std::vector<TaggedWord> parse_jieba_dictionary(std::string_view text) {
  std::vector<TaggedWord> words;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const std::string_view word = next_field(&line);
    const std::string_view frequency = next_field(&line);
    const std::string_view tag = next_field(&line);
    TaggedWord tagged;
    const auto [past, error] = std::from_chars(frequency.data(), frequency.data() + frequency.size(), tagged.frequency);
    if (word.empty() || tag.empty() || error != std::errc() || past != frequency.data() + frequency.size()) continue;
    tagged.text = word;
    tagged.tag = tag;
    words.push_back(std::move(tagged));
  }
  return words;
}

bool tagged_with(const TaggedWord& word, std::span<const std::string_view> tags) {
  return std::find(tags.begin(), tags.end(), word.tag) != tags.end();
}

std::set<std::string> texts_tagged(const std::vector<TaggedWord>& words, std::span<const std::string_view> tags) {
  std::set<std::string> texts;
  for (const TaggedWord& word : words) {
    if (tagged_with(word, tags)) texts.insert(word.text);
  }
  return texts;
}

bool load_jieba_dictionary(const std::filesystem::path& path, std::vector<TaggedWord>* words, std::string* error) {
  const std::optional<std::string> text = read_source_text(path, error);
  if (!text) return false;
  *words = parse_jieba_dictionary(*text);
  return true;
}

}  // namespace tavgen
