#include "context_library_writer.h"

#include <algorithm>
#include <optional>

#include "library_key.h"
#include "sentenceparser/core/library_layout.h"
#include "word_library_writer.h"

namespace tavgen {

namespace {

constexpr long kPy3Numbers = 26L * 26 * 26;
constexpr long kPy4Numbers = 26L * 26 * 26 * 26;

bool is_class_letter(char c) { return c >= 'a' && c <= 'z'; }

std::string describe(const std::vector<std::string>& syllables, char left, char right) {
  std::string text;
  for (const std::string& syllable : syllables) text += (text.empty() ? "" : " ") + syllable;
  return "\"" + text + "\" between '" + std::string(1, left) + "' and '" + std::string(1, right) + "'";
}

// The service's lookup text of a gap word: bd1 initial, classes, code; bd2 initials, classes,
// codes.
std::optional<std::string> lookup_text(const GapWord& word, std::size_t n, std::string* error) {
  if (word.syllables.size() != n || word.positions.size() != n) {
    *error = describe(word.syllables, word.left, word.right) + " does not have " + std::to_string(n) +
             " syllables and positions";
    return std::nullopt;
  }
  if (!is_class_letter(word.left) || !is_class_letter(word.right)) {
    *error = describe(word.syllables, word.left, word.right) + " has a class that is no letter";
    return std::nullopt;
  }
  const std::optional<std::string> key = library_word_key(word.syllables);
  if (!key) {
    *error = describe(word.syllables, word.left, word.right) + " has a syllable without a final code";
    return std::nullopt;
  }
  // One syllable: initial, code. Two: initials, second letters, codes.
  if (n == 1) return std::string{(*key)[0], word.left, word.right, (*key)[1]};
  return std::string{(*key)[0], (*key)[1], word.left, word.right, (*key)[4], (*key)[5]};
}

std::optional<LibraryRecord> gap_record(const GapWord& word, std::size_t n, std::string* error) {
  const std::optional<std::string> lookup = lookup_text(word, n, error);
  if (!lookup) return std::nullopt;
  LibraryRecord record;
  record.bucket = letter_number(*lookup, 0, 3);
  record.compared = lookup->substr(3);
  record.bytes = record.compared;
  for (int position : word.positions) {
    const int stored = sentence::stored_byte_of(position);
    if (stored < 0) {
      *error = describe(word.syllables, word.left, word.right) + ": position " + std::to_string(position) +
               " cannot be stored";
      return std::nullopt;
    }
    record.bytes += static_cast<char>(stored);
  }
  return record;
}

std::optional<LibraryRecord> abbreviated_record(const AbbreviatedGapWord& word, std::string* error) {
  const std::string lookup = word.initials + word.left + word.right;
  LibraryRecord record;
  const bool hanzi = word.characters.size() == 2 &&
                     std::all_of(word.characters.begin(), word.characters.end(), is_gb2312_hanzi);
  record.bucket = word.initials.size() == 2 && hanzi ? letter_number(lookup, 0, 4) : -1;
  if (record.bucket < 0) {
    *error = "the abbreviation \"" + word.initials + "\" between '" + std::string(1, word.left) + "' and '" +
             std::string(1, word.right) + "' needs two letters, two classes and two characters";
    return std::nullopt;
  }
  record.bytes = gbk_bytes(word.characters);
  return record;
}

bool refuse_repeated_keys(const std::vector<LibraryRecord>& records, const char* library, std::string* error) {
  std::vector<std::pair<long, std::string>> keys;
  for (const LibraryRecord& record : records) keys.emplace_back(record.bucket, record.compared);
  std::sort(keys.begin(), keys.end());
  if (std::adjacent_find(keys.begin(), keys.end()) == keys.end()) return true;
  *error = std::string(library) + " holds a key twice";
  return false;
}

bool write_gap_library(const std::filesystem::path& tav, const char* name, std::size_t n,
                       const std::vector<GapWord>& words, std::string* error) {
  std::vector<LibraryRecord> records;
  for (const GapWord& word : words) {
    std::optional<LibraryRecord> record = gap_record(word, n, error);
    if (!record) return false;
    records.push_back(std::move(*record));
  }
  const std::string base = name;
  return refuse_repeated_keys(records, name, error) &&
         write_library_records(tav, base + ".inx", base + ".dat", kPy3Numbers, std::move(records), error);
}

}  // namespace

bool write_context_libraries(const std::filesystem::path& tav, const ContextLibraryWords& words,
                             std::string* error) {
  if (!write_gap_library(tav, "mpp/bd1", 1, words.one, error) ||
      !write_gap_library(tav, "mpp/bd2", 2, words.two, error)) {
    return false;
  }
  std::vector<LibraryRecord> records;
  for (const AbbreviatedGapWord& word : words.abbreviated) {
    std::optional<LibraryRecord> record = abbreviated_record(word, error);
    if (!record) return false;
    records.push_back(std::move(*record));
  }
  return refuse_repeated_keys(records, "mpp/bdj2", error) &&
         write_library_records(tav, "mpp/bdj2.inx", "mpp/bdj2.dat", kPy4Numbers, std::move(records), error);
}

}  // namespace tavgen
