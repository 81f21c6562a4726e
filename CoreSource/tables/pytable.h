// The single-character pinyin tables: pinyin.db (with its syllable index and its hanzi index)
// and the extension table pinyin2.db.
//
// pinyin.db, from its start:
//   main part      26-byte records grouped by syllable, closed by a record whose syllable is
//                  "EEEEEE";
//   hanzi index    (optional) 14-byte text records "<hanzi, blank padded to 5 bytes><9 decimal
//                  digits>", the offset of the hanzi's most used record; then its size S (u32
//                  big-endian). The generator writes it; a table without it is read the same,
//                  the index then being built from the records;
//   syllable index 15-byte text records "<syllable, blank padded to 6 bytes> <8 digits>", the
//                  offset of the syllable's first record; then its size L (u32 big-endian).
// pinyin2.db holds only a main part.
//
// Every number, offset and count of these files is checked against the file when it is
// loaded, so a truncated or corrupt table is refused instead of being read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/tablefile.h"

inline constexpr std::size_t IME_PY_RECORD_SIZE = 26;
inline constexpr std::size_t IME_PY_SYLLABLE_BYTES = 6;
inline constexpr std::size_t IME_PY_TEXT_BYTES = 8;
inline constexpr std::size_t IME_PY_INDEX_RECORD_SIZE = 15;
inline constexpr std::size_t IME_PY_HANZI_RECORD_SIZE = 14;
inline constexpr const char* IME_PY_END_SYLLABLE = "EEEEEE";
// Hanzi indexes of the extension table are moved above the ones of pinyin.db by this much.
inline constexpr std::uint32_t IME_PY_EXT_INDEX_BASE = 100000;

// One record of a pinyin table with its stored fields decoded.
struct ime_py_record_t {
  char syllable[IME_PY_SYLLABLE_BYTES + 1];  // NUL-terminated
  std::uint32_t hanzi_index;
  std::uint8_t simplified_length;
  std::uint8_t traditional_length;
  char text[IME_PY_TEXT_BYTES + 1];  // simplified then traditional text, NUL-terminated
  std::uint32_t base_frequency;
  char class_digit;        // '0'..'9'
  std::uint8_t tone_mask;  // bit 1 tone 1, 2 tone 2, 4 tone 3, 8 tone 4

  std::string simplified() const { return std::string(text, simplified_length); }
  std::string traditional() const {
    return std::string(text + simplified_length, traditional_length);
  }
  bool is_end() const;
};

// Decodes the record at `offset` of a table's main part of `main_size` bytes. false when the
// record does not lie wholly inside the main part or its fields are impossible (text lengths
// beyond the text field, a class that is not a digit, a syllable that is not lower-case letters).
bool ime_py_decode_record(const unsigned char* table, std::size_t main_size, std::int64_t offset,
                          ime_py_record_t* record);

// Where the parts of a pinyin.db image lie.
struct ime_py_layout_t {
  std::size_t main_size = 0;    // bytes of the main part, the end record included
  bool has_hanzi_index = false;
  std::size_t hanzi_offset = 0; // start of the hanzi index (when there is one)
  std::size_t hanzi_size = 0;
  std::size_t index_offset = 0; // start of the syllable index
  std::size_t index_size = 0;
};

// Checks the framing of a pinyin.db image and fills the syllable map (syllable -> offset of
// its first record). false, with the reason in `error`, when any size, offset or record is out
// of place; `syllables` is then left empty.
bool ime_py_parse_table(const unsigned char* data, std::size_t size, ime_py_layout_t* layout,
                        std::unordered_map<std::string, std::int64_t>* syllables,
                        std::string* error);

// Checks a pinyin2.db image: whole records, each decodable, ending with the end record.
bool ime_py_check_ext_table(const unsigned char* data, std::size_t size, std::string* error);

// The hanzi index of a pinyin.db image: hanzi (UTF-8) -> offset of its most used record. Read
// from the table's hanzi index, or built from its records when it has none.
bool ime_py_read_hanzi_index(const unsigned char* data, std::size_t size,
                             std::unordered_map<std::string, std::int64_t>* hanzi,
                             std::string* error);

// Engine state of the loaded tables (released by ime_exit).
extern std::unordered_map<std::string, std::int64_t>* ime_py_hash;
extern ime_mmap_t ime_py_info;
extern ime_mmap_t ime_pyext_info;
// Bytes of the main part of the mapped pinyin.db (its records end there).
extern std::size_t ime_py_main_size;

// The syllable at which the scan for an initial-only input starts, by letter a-z; slot 8
// serves "zh", 20 "ch" and 21 "sh".
extern const char* const ime_first_syllables[26];

// Loads pinyin.db (resolved as a resource): the syllable map, then a read-only mapping.
// Nothing when it is already mapped. 0 or -1.
int ime_load_py();
// Maps pinyin2.db read-only after checking it. Nothing when it is already mapped. 0 or -1.
int ime_load_py_ext();
// Releases the syllable map and both mappings.
void ime_unload_py();

// True for the inputs that are an initial alone: "zh", "ch", "sh" and one letter other than
// a, e and o.
bool ime_is_sm(const char* text, std::size_t length);

// A record found by a single-character query, with where it lies.
struct ime_py_hit_t {
  ime_py_record_t record;
  std::int64_t offset;
  bool initial_only;
};

// The records of `syllable` in table order: the syllable's own group, or for an initial alone
// every group from the initial's first syllable on whose syllable starts with it. Only records
// whose tone mask shares a bit with `tone_mask` are kept, unless it is 15. -1 for an empty
// input or a syllable the table does not hold, else the number of hits appended.
int ime_query_py_records(const char* syllable, int tone_mask, std::vector<ime_py_hit_t>* hits);
// The same over the extension table: every record whose syllable matches, the whole table
// scanned.
int ime_query_py_ext_records(const char* syllable, int tone_mask, std::vector<ime_py_hit_t>* hits);
