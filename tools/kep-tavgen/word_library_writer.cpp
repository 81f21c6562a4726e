#include "word_library_writer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <tuple>

#include "context_library_writer.h"
#include "library_key.h"
#include "platform/files.h"
#include "sentenceparser/core/library_layout.h"

namespace tavgen {

namespace fs = std::filesystem;

namespace {

constexpr long kPy2Numbers = 26L * 26;
constexpr long kPy3Numbers = 26L * 26 * 26;
constexpr long kPy4Numbers = 26L * 26 * 26 * 26;

enum class Library { Main, Whole, HeadEnd };

using Record = LibraryRecord;

std::string describe(const LibraryWord& word) {
  std::string text;
  for (const std::string& syllable : word.syllables) text += (text.empty() ? "" : " ") + syllable;
  return "\"" + text + "\"";
}

bool append_stored(int value, const char* what, const LibraryWord& word, std::string* out,
                   std::string* error) {
  const int stored = sentence::stored_byte_of(value);
  if (stored < 0) {
    *error = std::string(what) + " " + std::to_string(value) + " of " + describe(word) + " cannot be stored";
    return false;
  }
  *out += static_cast<char>(stored);
  return true;
}

// Key bytes a record keeps: the reader has already matched the bucket's letters.
std::string compared_part(Library library, int n, const std::string& key) {
  if (library != Library::Main) return key.substr(3);
  if (n == 2) return key.substr(4, 2);
  if (n >= 5) return key.substr(4);  // remaining initials, then the codes
  return key.substr(n);
}

long bucket_of(Library library, int n, const std::string& key) {
  if (library == Library::Main && n != 3) return letter_number(key, 0, 4);
  return letter_number(key, 0, 3);
}

std::optional<Record> make_record(Library library, int n, const LibraryWord& word, std::string* error) {
  if (static_cast<int>(word.syllables.size()) != n || static_cast<int>(word.positions.size()) != n) {
    *error = describe(word) + " does not have " + std::to_string(n) + " syllables and positions";
    return std::nullopt;
  }
  std::optional<std::string> key = library_word_key(word.syllables);
  if (!key) {
    *error = describe(word) + " has a syllable without a final code";
    return std::nullopt;
  }
  Record record;
  record.bucket = bucket_of(library, n, *key);
  if (record.bucket < 0) {
    *error = describe(word) + " has no bucket number";
    return std::nullopt;
  }
  record.compared = compared_part(library, n, *key);
  record.bytes = record.compared;
  record.weight = word.weight;
  for (int position : word.positions) {
    if (!append_stored(position, "position", word, &record.bytes, error)) return std::nullopt;
  }
  const char flags = static_cast<char>(word.flags == 0 ? kFlagsPresent : word.flags);
  if (library == Library::Main) {
    if (!append_stored(word.weight, "weight", word, &record.bytes, error) ||
        !append_stored(word.abbreviation_weight, "abbreviation weight", word, &record.bytes, error)) {
      return std::nullopt;
    }
    record.bytes += flags;
  } else if (library == Library::HeadEnd) {
    if (word.marker != 'h' && word.marker != 'e') {
      *error = describe(word) + " is marked neither 'h' nor 'e'";
      return std::nullopt;
    }
    const char unread = static_cast<char>(sentence::stored_byte_of(0));
    record.bytes += unread;
    record.bytes += unread;
    if (!append_stored(word.weight, "weight", word, &record.bytes, error)) return std::nullopt;
    record.bytes += unread;
    record.bytes += flags;
    record.bytes += word.marker;
    record.marker_rank = word.marker == 'h' ? 0 : 1;
  }
  return record;
}

void put_index_entry(std::string* index, long number, std::uint32_t first, std::uint16_t count) {
  const std::size_t at = static_cast<std::size_t>(number) * sentence::kIndexRecordSize;
  for (int i = 0; i < 4; ++i) (*index)[at + i] = static_cast<char>((first >> (8 * i)) & 0xFF);
  for (int i = 0; i < 2; ++i) (*index)[at + 4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
}

std::string empty_index(long numbers) {
  return std::string(static_cast<std::size_t>(numbers) * sentence::kIndexRecordSize, '\0');
}

bool write_bytes(const fs::path& path, const std::string& bytes, std::string* error) {
  std::error_code ec;
  if (!platform::files::make_directories(path.parent_path(), 0755, ec)) {
    *error = "cannot create " + path.parent_path().string() + ": " + ec.message();
    return false;
  }
  if (!platform::files::write_atomic(path, bytes, ec)) {
    *error = "cannot write " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

// The index alone, for a library without records: a data file left by an earlier run goes.
bool write_index_only(const fs::path& index_path, const fs::path& data_path, const std::string& index,
                      std::string* error) {
  if (!write_bytes(index_path, index, error)) return false;
  std::error_code ec;
  fs::remove(data_path, ec);
  if (ec) {
    *error = "cannot remove " + data_path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

// Sorts the records into their buckets and writes the data file and the index of `numbers`
// buckets; with `initials_index`, also the two-syllable index by the two initials.
bool write_library(const fs::path& tav, const std::string& index_name, const std::string& data_name,
                   long numbers, std::vector<Record> records, std::string* error,
                   std::string* initials_index = nullptr) {
  std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
    return std::tie(a.bucket, a.compared, a.marker_rank, b.weight, a.bytes) <
           std::tie(b.bucket, b.compared, b.marker_rank, a.weight, b.bytes);
  });
  std::string index = empty_index(numbers);
  std::string data;
  std::size_t begin = 0;
  while (begin < records.size()) {
    std::size_t end = begin;
    while (end < records.size() && records[end].bucket == records[begin].bucket) ++end;
    if (end - begin > kBucketRecordMax) {
      *error = index_name + ": bucket " + std::to_string(records[begin].bucket) + " holds " +
               std::to_string(end - begin) + " records, more than an index entry can count";
      return false;
    }
    put_index_entry(&index, records[begin].bucket, static_cast<std::uint32_t>(begin),
                    static_cast<std::uint16_t>(end - begin));
    begin = end;
  }
  if (initials_index != nullptr) {
    // Two-syllable buckets are numbered initial, initial, letter, letter: the buckets of two
    // initials are adjacent, so one entry covers them all.
    *initials_index = empty_index(kPy2Numbers);
    for (std::size_t first = 0; first < records.size();) {
      const long initials = records[first].bucket / (26 * 26);
      std::size_t end = first;
      while (end < records.size() && records[end].bucket / (26 * 26) == initials) ++end;
      if (end - first > kBucketRecordMax) {
        *error = std::string(sentence::kMainAbbreviationIndex) + ": the initials " +
                 std::to_string(initials) + " hold " + std::to_string(end - first) +
                 " records, more than an index entry can count";
        return false;
      }
      put_index_entry(initials_index, initials, static_cast<std::uint32_t>(first),
                      static_cast<std::uint16_t>(end - first));
      first = end;
    }
  }
  if (records.empty()) return write_index_only(tav / index_name, tav / data_name, index, error);
  data.reserve(records.size() * records.front().bytes.size());
  for (const Record& record : records) data += record.bytes;
  return write_bytes(tav / data_name, data, error) && write_bytes(tav / index_name, index, error);
}

bool make_records(Library library, int n, const std::vector<LibraryWord>& words, std::vector<Record>* records,
                  std::string* error) {
  records->reserve(words.size());
  for (const LibraryWord& word : words) {
    std::optional<Record> record = make_record(library, n, word, error);
    if (!record) return false;
    records->push_back(std::move(*record));
  }
  return true;
}

}  // namespace

long letter_number(const std::string& key, std::size_t offset, int count) {
  if (offset + count > key.size()) return -1;
  long number = 0;
  for (int i = 0; i < count; ++i) {
    const char c = key[offset + i];
    if (c < 'a' || c > 'z') return -1;
    number = number * 26 + (c - 'a');
  }
  return number;
}

bool write_library_records(const fs::path& tav, const std::string& index_name, const std::string& data_name,
                           long numbers, std::vector<LibraryRecord> records, std::string* error) {
  return write_library(tav, index_name, data_name, numbers, std::move(records), error);
}

bool write_main_library(const fs::path& tav, int n, std::vector<LibraryWord> words, std::string* error) {
  if (sentence::main_record_width(n) == 0) {
    *error = "the main library holds no words of " + std::to_string(n) + " syllables";
    return false;
  }
  std::vector<Record> records;
  if (!make_records(Library::Main, n, words, &records, error)) return false;
  std::string initials_index;
  if (!write_library(tav, sentence::main_library_name(n, ".inx"), sentence::main_library_name(n, ".dat"),
                     n == 3 ? kPy3Numbers : kPy4Numbers, std::move(records), error,
                     n == 2 ? &initials_index : nullptr)) {
    return false;
  }
  return n != 2 || write_bytes(tav / sentence::kMainAbbreviationIndex, initials_index, error);
}

bool write_whole_library(const fs::path& tav, int n, std::vector<LibraryWord> words, std::string* error) {
  if (sentence::whole_record_width(n) == 0) {
    *error = "the whole-input library holds no words of " + std::to_string(n) + " syllables";
    return false;
  }
  std::vector<Record> records;
  if (!make_records(Library::Whole, n, words, &records, error)) return false;
  return write_library(tav, sentence::whole_library_name(n, ".inx"), sentence::whole_library_name(n, ".dat"),
                       kPy3Numbers, std::move(records), error);
}

bool write_head_end_library(const fs::path& tav, int n, std::vector<LibraryWord> words, std::string* error) {
  if (sentence::head_end_record_width(n) == 0) {
    *error = "the head-and-end library holds no words of " + std::to_string(n) + " syllables";
    return false;
  }
  std::vector<Record> records;
  if (!make_records(Library::HeadEnd, n, words, &records, error)) return false;
  // A reader that lands on the wrong marker tries one neighbour only: one record of each per key.
  std::vector<std::tuple<long, std::string, int>> keys;
  for (const Record& record : records) keys.emplace_back(record.bucket, record.compared, record.marker_rank);
  std::sort(keys.begin(), keys.end());
  if (auto twice = std::adjacent_find(keys.begin(), keys.end()); twice != keys.end()) {
    *error = "the head-and-end library of " + std::to_string(n) + " syllables holds a key twice with one marker";
    return false;
  }
  return write_library(tav, sentence::head_end_library_name(n, ".inx"),
                       sentence::head_end_library_name(n, ".dat"), kPy3Numbers, std::move(records), error);
}

bool write_empty_context_libraries(const fs::path& tav, std::string* error) {
  return write_context_libraries(tav, {}, error);
}

}  // namespace tavgen
