#include "sentence_score.h"

#include <fstream>

#include "platform/text.h"

namespace sentence_accuracy {

std::vector<std::string> utf8_characters(std::string_view text) {
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = platform::text::utf8_sequence_length(static_cast<unsigned char>(text[at]));
    if (length == 0 || length > text.size() - at ||
        !platform::text::is_valid_utf8(text.substr(at, length))) {
      length = 1;
    }
    characters.emplace_back(text.substr(at, length));
    at += length;
  }
  return characters;
}

std::size_t characters_in_place(const std::vector<std::string>& expected,
                                const std::vector<std::string>& produced) {
  std::size_t equal = 0;
  for (std::size_t i = 0; i < expected.size() && i < produced.size(); ++i) {
    equal += expected[i] == produced[i];
  }
  return equal;
}

std::size_t Tally::add(const std::vector<std::string>& expected, const std::vector<std::string>& produced) {
  const std::size_t in_place = characters_in_place(expected, produced);
  ++sentences;
  characters += expected.size();
  correct += in_place;
  exact += expected == produced;
  return in_place;
}

double Tally::accuracy() const {
  return characters == 0 ? 0.0 : static_cast<double>(correct) / static_cast<double>(characters);
}

std::optional<std::vector<std::string>> read_sentences(const std::filesystem::path& path,
                                                       std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path.string();
    return std::nullopt;
  }
  std::vector<std::string> sentences;
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!platform::text::is_valid_utf8(line)) {
      *error = path.string() + ":" + std::to_string(number) + ": not UTF-8";
      return std::nullopt;
    }
    sentences.push_back(std::move(line));
  }
  if (sentences.empty()) {
    *error = path.string() + " holds no sentences";
    return std::nullopt;
  }
  return sentences;
}

std::string marked_differences(const std::vector<std::string>& expected,
                               const std::vector<std::string>& produced) {
  std::string marked;
  for (std::size_t i = 0; i < produced.size(); ++i) {
    const bool wrong = i >= expected.size() || expected[i] != produced[i];
    marked += wrong ? "[" + produced[i] + "]" : produced[i];
  }
  return marked;
}

}  // namespace sentence_accuracy
