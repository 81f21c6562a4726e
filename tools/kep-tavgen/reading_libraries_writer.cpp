#include "reading_libraries_writer.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "gb2312.h"
#include "hanzi_keyed_writer.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "tables/pinyin_code.h"

namespace tavgen {

namespace {

struct Reading {
  std::uint64_t weight = 0;
  std::string codes;  // two bytes per syllable
};

struct Record {
  std::string plain;  // the word without its first character, then the codes
  std::uint64_t weight = 0;
};

void append_le(std::uint64_t value, int bytes, std::string* out) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool holds_polyphone(const std::string& word) {
  for (std::size_t i = 0; i + 1 < word.size(); i += 2) {
    if (sentence::is_polyphone_character(word.data() + i)) return true;
  }
  return false;
}

// Records by group, sorted by plain bytes; the index entries of `count_bytes` count width.
// A group over `count_limit` keeps its heaviest records.
ReadingLibrary write_library(std::vector<std::vector<Record>> groups, int count_bytes, std::uint64_t count_limit) {
  ReadingLibrary library;
  library.index.reserve(groups.size() * (4 + count_bytes));
  for (std::vector<Record>& group : groups) {
    if (group.size() > count_limit) {
      std::stable_sort(group.begin(), group.end(),
                       [](const Record& a, const Record& b) { return a.weight > b.weight; });
      library.trimmed += group.size() - count_limit;
      group.resize(count_limit);
    }
    std::sort(group.begin(), group.end(), [](const Record& a, const Record& b) { return a.plain < b.plain; });
    append_le(group.empty() ? 0 : library.kept, 4, &library.index);
    append_le(group.size(), count_bytes, &library.index);
    for (Record& record : group) {
      sentence::encodeline(record.plain.data());  // no NUL inside: GBK bytes and code bytes
      library.records += record.plain;
      ++library.kept;
    }
  }
  return library;
}

}  // namespace

std::optional<std::string> syllable_code(const std::string& syllable) {
  // The code table reads at most seven bytes; longer text would be cut, not refused.
  if (syllable.empty() || syllable.size() > 6) return std::nullopt;
  for (char c : syllable) {
    if (c < 'a' || c > 'z') return std::nullopt;
  }
  char initial = 0;
  char code = 0;
  ime_decompose_py(syllable.c_str(), &initial, &code);
  if (code == '\0') return std::nullopt;
  return std::string{initial, code};
}

ReadingLibraries build_reading_libraries(const std::vector<datasources::RimeEntry>& vocabulary, Gb2312Cache& gb2312) {
  ReadingLibraries out;
  // By the word's GBK bytes; a word whose readings all lack codes keeps an empty one.
  std::unordered_map<std::string, Reading> readings;
  for (const datasources::RimeEntry& entry : vocabulary) {
    std::optional<std::vector<GbkChar>> characters = gb2312.text(entry.text);
    if (!characters) continue;
    const std::size_t n = characters->size();
    if (n < static_cast<std::size_t>(sentence::kReadingWordMin) ||
        n > static_cast<std::size_t>(sentence::kReadingWordMax) || entry.syllables.size() != n) {
      continue;
    }
    std::string codes;
    for (const std::string& syllable : entry.syllables) {
      std::optional<std::string> code = syllable_code(syllable);
      if (!code) break;
      codes += *code;
    }
    Reading& reading = readings[gbk_bytes(*characters)];
    if (codes.size() != 2 * n) continue;
    if (reading.codes.empty() || entry.weight > reading.weight ||
        (entry.weight == reading.weight && codes < reading.codes)) {
      reading = {entry.weight, std::move(codes)};
    }
  }
  out.words = readings.size();

  using Groups = std::vector<std::vector<Record>>;
  std::array<Groups, sentence::kReadingWordMax + 1> all;
  std::array<Groups, sentence::kReadingWordMax + 1> polyphones;
  for (int n = sentence::kReadingWordMin; n <= sentence::kReadingWordMax; ++n) {
    all[n].resize(kGb2312HanziCount);
    polyphones[n].resize(kGb2312HanziCount);
  }
  for (auto& [word, reading] : readings) {
    if (reading.codes.empty()) {
      ++out.without_code;
      continue;
    }
    const std::size_t n = word.size() / 2;
    const GbkChar first = static_cast<GbkChar>((static_cast<unsigned char>(word[0]) << 8) |
                                               static_cast<unsigned char>(word[1]));
    const int group = hanzi_key_number(first);
    Record record{word.substr(2) + reading.codes, reading.weight};
    if (holds_polyphone(word)) polyphones[n][group].push_back(record);
    all[n][group].push_back(std::move(record));
  }
  for (int n = sentence::kReadingWordMin; n <= sentence::kReadingWordMax; ++n) {
    out.all[n] = write_library(std::move(all[n]), 2, 0xFFFF);
    out.polyphones[n] = write_library(std::move(polyphones[n]), 4, 0xFFFFFFFF);
  }
  return out;
}

}  // namespace tavgen
