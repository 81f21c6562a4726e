#include "friso_lexicon.h"

#include "source_text.h"

namespace tavgen {

std::vector<std::string> parse_friso_lexicon(std::string_view text) {
  std::vector<std::string> words;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    line = line.substr(0, line.find('/'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    words.emplace_back(line);
  }
  return words;
}

bool load_friso_lexicon(const std::filesystem::path& path, std::vector<std::string>* words, std::string* error) {
  const std::optional<std::string> text = read_source_text(path, error);
  if (!text) return false;
  *words = parse_friso_lexicon(*text);
  return true;
}

}  // namespace tavgen
