// The on-disk form of a dictionary folder, shared by the folder builder and the engine's reader
// so that both sides agree byte for byte:
//
//   dict.info    text lines "KEY<tab>VALUE"; TOTAL_COUNT is the number of records
//   dict_idx.db  ndbm index: folded initials -> {u32 BE offset, u32 BE count,
//                {u8 length, longer key}..., 0}
//   dict.db      records of n syllables, 7n + 10 bytes each: initials (n), final codes (n),
//                tone digits (n), text (2n, GB18030), second form (2n, GB18030 or all "*"),
//                each scrambled by the record codec; then u32 BE word number, u32 BE base
//                frequency and two zero bytes
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dictfmt {

// Every file of a folder is readable by all: the system dictionary is shipped to every user.
// A user's own folders stay private through the data folder, which only the user can enter.
inline constexpr unsigned kFileMode = 0644;
inline constexpr const char* kInfoFile = "dict.info";
inline constexpr const char* kRecordFile = "dict.db";
// ndbm adds ".db" to the name it is given.
inline constexpr const char* kIndexName = "dict_idx";
inline constexpr const char* kIndexFile = "dict_idx.db";
inline constexpr const char* kVersionFile = "version.info";
inline constexpr const char* kUidFile = "uid.info";
inline constexpr const char* kTotalCountKey = "TOTAL_COUNT";

// A word has at most this many syllables, each of at most kMaxSyllableLetters letters.
inline constexpr int kMaxSyllables = 60;
inline constexpr int kMaxSyllableLetters = 6;
// The engine never looks up a key longer than this many syllables.
inline constexpr int kMaxQueryKey = 30;
// Keys of this length and longer list the longer keys that begin with them.
inline constexpr int kMinListedPrefix = 4;
// Bytes of an index value with an empty list of longer keys.
inline constexpr std::size_t kIndexValueHead = 9;
// dict.info limits of the reader.
inline constexpr std::size_t kInfoKeyMax = 64;
inline constexpr std::size_t kInfoValueMax = 128;

constexpr std::size_t record_size(int syllables) {
  return 7 * static_cast<std::size_t>(syllables) + 10;
}
// The smallest record: a one-syllable word.
inline constexpr std::size_t kMinRecordSize = record_size(1);

// f/h -> F, g/k -> K, l/n -> N, so that fuzzy pinyin over those pairs finds one key.
char fold_initial(char letter);
std::string folded_key(std::string_view initials);

// A record's fields in plain form (the codec undone).
struct Record {
  int syllables = 0;
  char initials[kMaxSyllables];
  char finals[kMaxSyllables];
  char tones[kMaxSyllables];
  char text[2 * kMaxSyllables];
  char second[2 * kMaxSyllables];
  std::uint32_t word_number = 0;
  std::uint32_t base_frequency = 0;
};

// Decodes the record of `syllables` syllables at `offset` in `data` (`size` bytes). False when
// the syllable count is out of range or the record does not lie wholly inside the data.
bool decode_record(const unsigned char* data, std::size_t size, std::uint64_t offset,
                   int syllables, Record* out);

// A record read where it is stored, each byte descrambled only when asked for: a scan tests
// the syllables and tones of many records and decodes the few that pass.
class StoredRecord {
 public:
  // False, as decode_record, when the syllable count is out of range or the record does not
  // lie wholly inside the data.
  bool locate(const unsigned char* data, std::size_t size, std::uint64_t offset, int syllables);
  char initial(int k) const;
  char final_code(int k) const;
  // The tone of syllable k as tone_mask gives it.
  int tone_mask(int k) const;
  std::uint32_t word_number() const;
  std::uint32_t base_frequency() const;

 private:
  const unsigned char* bytes_ = nullptr;
  std::size_t syllables_ = 0;
};

// The stored bytes of one record. Every text field must be as long as the record needs:
// n bytes each for initials, finals and tones, 2n for text and second form.
std::string encode_record(std::string_view initials, std::string_view finals,
                          std::string_view tones, std::string_view text, std::string_view second,
                          std::uint32_t word_number, std::uint32_t base_frequency);

// A tone byte of a record as a tone mask: "1"-"4" are tones 1-4 (1, 2, 4, 8), other
// hexadecimal digits are mask values ("0" neutral). A byte that is no digit at all (a word list
// without tones) means the tone is unknown, so it matches any tone: 15.
int tone_mask(char digit);

// True when `text` is a whole number of GB18030 two-byte characters: the only form a record
// can hold, since its text field is two bytes per syllable.
bool is_two_byte_gb18030(std::string_view text);

struct IndexValue {
  std::uint32_t offset = 0;
  std::uint32_t count = 0;
  // The longer keys that begin with this one.
  std::vector<std::string> longer_keys;
  // False when the list of longer keys is cut or malformed; the keys read before the fault
  // are kept in longer_keys.
  bool list_intact = true;
};

// Reads an index value; nullopt when it is shorter than its fixed head.
std::optional<IndexValue> parse_index_value(const void* data, std::size_t size);
// The value stored for a key with its own records and no longer keys yet.
std::string encode_index_value(std::uint32_t offset, std::uint32_t count);
// `value` with `longer_key` added to its list. The value must be a well-formed one.
std::string append_longer_key(std::string_view value, std::string_view longer_key);

// One "KEY VALUE" line of dict.info as the reader takes it: leading blanks and tabs skipped,
// "#" comments and empty lines give nullopt, the key runs to the first blank or tab (a longer
// key is cut at kInfoKeyMax characters, the rest beginning the value), the value runs to the
// line end and is cut at kInfoValueMax bytes on a UTF-8 boundary. A key without a value gives
// nullopt.
std::optional<std::pair<std::string, std::string>> parse_info_line(std::string_view line);

// The value made safe for one line of dict.info: line breaks, tabs and other control
// characters become blanks, so no value can start a line of its own.
std::string info_value_on_one_line(std::string_view value);

}  // namespace dictfmt
