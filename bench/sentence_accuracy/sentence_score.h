// The development set's sentences and the score of a converter over them: characters equal to
// the sentence's at the same position, over all the sentences' characters.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sentence_accuracy {

// The characters of a UTF-8 text, one string each. A byte that starts no well-formed sequence
// is a character of its own, so a damaged output still lines up and scores as wrong.
std::vector<std::string> utf8_characters(std::string_view text);

// How many characters of `produced` equal those of `expected` at the same position.
std::size_t characters_in_place(const std::vector<std::string>& expected,
                                const std::vector<std::string>& produced);

struct Tally {
  std::size_t sentences = 0;
  std::size_t exact = 0;
  std::size_t characters = 0;
  std::size_t correct = 0;
  // Adds one sentence; the characters of `produced` in place.
  std::size_t add(const std::vector<std::string>& expected, const std::vector<std::string>& produced);
  double accuracy() const;  // correct / characters, 0 for none
};

// The sentences of a development set: one UTF-8 sentence a line, blank lines skipped.
// nullopt, with the reason in `error`, when the file cannot be read, a line is not UTF-8, or
// there is no sentence.
std::optional<std::vector<std::string>> read_sentences(const std::filesystem::path& path,
                                                       std::string* error);

// `produced` with each character that differs from `expected` in place, and each one past its
// end, put in brackets: 设[至]的.
std::string marked_differences(const std::vector<std::string>& expected,
                               const std::vector<std::string>& produced);

}  // namespace sentence_accuracy
