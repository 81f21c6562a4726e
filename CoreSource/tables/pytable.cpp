#include "tables/pytable.h"

#include <cstring>
#include <string_view>
#include <unordered_set>

#include "base/bigendian.h"
#include "base/codec.h"
#include "base/datafolder.h"
#include "base/imelog.h"

std::unordered_map<std::string, std::int64_t>* ime_py_hash = nullptr;
ime_mmap_t ime_py_info = {};
ime_mmap_t ime_pyext_info = {};
std::size_t ime_py_main_size = 0;

const char* const ime_first_syllables[26] = {
    "a",  "ba", "ca", "da", "e",  "fa", "ga",  "ha", "zha", "jia", "ka",  "la",  "m",
    "n",  "o",  "pa", "qi", "ran", "sa", "ta", "cha", "sha", "wa", "xi", "ya", "za",
};

namespace {

// Bytes of a record: syllable, hanzi index, the two text lengths, text, frequency, class, tones.
constexpr std::size_t kIndexAt = 6;
constexpr std::size_t kSimplifiedLengthAt = 10;
constexpr std::size_t kTraditionalLengthAt = 11;
constexpr std::size_t kTextAt = 12;
constexpr std::size_t kFrequencyAt = 20;
constexpr std::size_t kClassAt = 24;
constexpr std::size_t kToneAt = 25;

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A syllable field holds 1-6 lower-case letters padded with NUL bytes, or the end marker.
bool syllable_field_valid(const char* field) {
  if (std::memcmp(field, IME_PY_END_SYLLABLE, IME_PY_SYLLABLE_BYTES) == 0) return true;
  std::size_t length = 0;
  while (length < IME_PY_SYLLABLE_BYTES && field[length] != '\0') {
    if (!is_lower(field[length])) return false;
    ++length;
  }
  if (length == 0) return false;
  for (std::size_t i = length; i < IME_PY_SYLLABLE_BYTES; ++i) {
    if (field[i] != '\0') return false;
  }
  return true;
}

bool set_error(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

// Parses "<digits>" followed only by blanks, CR or LF up to the end of `text`.
bool parse_decimal(std::string_view text, std::uint64_t* value) {
  std::size_t i = 0;
  std::uint64_t result = 0;
  while (i < text.size() && is_digit(text[i])) {
    result = result * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (result > 0xFFFFFFFFull) return false;
    ++i;
  }
  if (i == 0) return false;
  for (; i < text.size(); ++i) {
    if (!is_blank(text[i]) && text[i] != '\r' && text[i] != '\n') return false;
  }
  *value = result;
  return true;
}

// An offset is usable when it names a record of the main part other than the end record.
bool names_record(std::uint64_t offset, std::size_t main_size) {
  return offset % IME_PY_RECORD_SIZE == 0 && offset + 2 * IME_PY_RECORD_SIZE <= main_size;
}

// Reads the syllable index into `syllables`, checking each entry against the main part.
bool parse_syllable_index(const unsigned char* data, const ime_py_layout_t& layout,
                          std::unordered_map<std::string, std::int64_t>* syllables,
                          std::string* error) {
  for (std::size_t at = layout.index_offset; at < layout.index_offset + layout.index_size;
       at += IME_PY_INDEX_RECORD_SIZE) {
    std::string_view entry(reinterpret_cast<const char*>(data + at), IME_PY_INDEX_RECORD_SIZE);
    std::size_t i = 0;
    while (i < entry.size() && is_blank(entry[i])) ++i;
    if (i < entry.size() && entry[i] == '#') continue;
    std::size_t start = i;
    while (i < entry.size() && !is_blank(entry[i])) ++i;
    std::string syllable(entry.substr(start, i - start));
    while (i < entry.size() && is_blank(entry[i])) ++i;
    std::uint64_t offset = 0;
    if (syllable.empty() || syllable.size() > IME_PY_SYLLABLE_BYTES ||
        !parse_decimal(entry.substr(i), &offset)) {
      return set_error(error, "syllable index entry at byte " + std::to_string(at) + " is malformed");
    }
    if (!names_record(offset, layout.main_size)) {
      return set_error(error, "syllable \"" + syllable + "\" points outside the records");
    }
    ime_py_record_t first;
    if (!ime_py_decode_record(data, layout.main_size, static_cast<std::int64_t>(offset), &first) ||
        syllable != first.syllable) {
      return set_error(error, "syllable \"" + syllable + "\" does not point at its records");
    }
    ime_py_record_t previous;
    if (offset > 0 &&
        ime_py_decode_record(data, layout.main_size,
                             static_cast<std::int64_t>(offset - IME_PY_RECORD_SIZE), &previous) &&
        syllable == previous.syllable) {
      return set_error(error, "syllable \"" + syllable + "\" points into the middle of its records");
    }
    if (!syllables->emplace(syllable, static_cast<std::int64_t>(offset)).second) {
      return set_error(error, "syllable \"" + syllable + "\" is indexed twice");
    }
  }
  return true;
}

// Every record decodes, only the last one is the end record, and each syllable's records lie
// together and are indexed.
bool check_records(const unsigned char* data, std::size_t main_size,
                   const std::unordered_map<std::string, std::int64_t>* syllables,
                   std::string* error) {
  if (main_size < IME_PY_RECORD_SIZE || main_size % IME_PY_RECORD_SIZE != 0) {
    return set_error(error, "the records do not fill whole 26-byte records");
  }
  std::unordered_set<std::string> finished;
  std::string current;
  for (std::size_t at = 0; at < main_size; at += IME_PY_RECORD_SIZE) {
    ime_py_record_t record;
    if (!ime_py_decode_record(data, main_size, static_cast<std::int64_t>(at), &record)) {
      return set_error(error, "record at byte " + std::to_string(at) + " is damaged");
    }
    bool last = at + IME_PY_RECORD_SIZE == main_size;
    if (record.is_end() != last) {
      return set_error(error, last ? "the end record is missing"
                                   : "an end record stands before the last record");
    }
    if (last || syllables == nullptr) continue;
    if (record.syllable != current) {
      if (!finished.insert(current).second || finished.count(record.syllable) != 0) {
        return set_error(error, std::string("records of \"") + record.syllable + "\" are split");
      }
      if (syllables->count(record.syllable) == 0) {
        return set_error(error, std::string("syllable \"") + record.syllable + "\" is not indexed");
      }
      current = record.syllable;
    }
  }
  return true;
}

// The end record closes the main part; it is the first one met walking the records from the
// start, up to `limit`.
bool find_end_record(const unsigned char* data, std::size_t limit, std::size_t* main_size,
                     std::string* error) {
  for (std::size_t at = 0; at + IME_PY_RECORD_SIZE <= limit; at += IME_PY_RECORD_SIZE) {
    ime_py_record_t record;
    if (!ime_py_decode_record(data, limit, static_cast<std::int64_t>(at), &record)) {
      return set_error(error, "record at byte " + std::to_string(at) + " is damaged");
    }
    if (record.is_end()) {
      *main_size = at + IME_PY_RECORD_SIZE;
      return true;
    }
  }
  return set_error(error, "the end record is missing");
}

// Locates the parts of a pinyin.db image. The hanzi index is optional: the syllable index is
// found from the end of the file and the end record from its start, so the bytes between them
// are either none (no hanzi index) or exactly a hanzi index followed by its own size. Nothing
// else is accepted, so the two forms cannot be mistaken for one another.
bool frame_table(const unsigned char* data, std::size_t size, ime_py_layout_t* layout,
                 std::string* error) {
  if (data == nullptr || size < IME_PY_RECORD_SIZE + 4) {
    return set_error(error, "the file is too short");
  }
  ime_py_layout_t found;
  found.index_size = ime_read_be32(data + size - 4);
  if (found.index_size % IME_PY_INDEX_RECORD_SIZE != 0 ||
      found.index_size > size - 4 - IME_PY_RECORD_SIZE) {
    return set_error(error, "the syllable index size " + std::to_string(found.index_size) +
                                " does not fit the file");
  }
  found.index_offset = size - 4 - found.index_size;
  if (!find_end_record(data, found.index_offset, &found.main_size, error)) return false;

  std::size_t between = found.index_offset - found.main_size;
  if (between > 0) {
    std::size_t hanzi_size = between >= 4 ? ime_read_be32(data + found.index_offset - 4) : between;
    if (between < 4 || hanzi_size != between - 4 || hanzi_size % IME_PY_HANZI_RECORD_SIZE != 0) {
      return set_error(error, "the hanzi index size " + std::to_string(hanzi_size) +
                                  " does not fit the file");
    }
    found.has_hanzi_index = true;
    found.hanzi_offset = found.main_size;
    found.hanzi_size = hanzi_size;
  }
  *layout = found;
  return true;
}

// Reads the stored hanzi index, checking each entry against the main part; nothing to read
// when the table has none.
bool read_hanzi_block(const unsigned char* data, const ime_py_layout_t& layout,
                      std::unordered_map<std::string, std::int64_t>* hanzi, std::string* error) {
  const std::size_t end = layout.hanzi_offset + layout.hanzi_size;
  for (std::size_t at = layout.hanzi_offset; at < end; at += IME_PY_HANZI_RECORD_SIZE) {
    std::string_view entry(reinterpret_cast<const char*>(data + at), IME_PY_HANZI_RECORD_SIZE);
    std::size_t blank = entry.find(' ');
    std::size_t length = blank >= 2 && blank <= 4 ? blank : 5;
    for (std::size_t i = length; i < 5; ++i) {
      if (entry[i] != ' ') length = 5;
    }
    std::uint64_t offset = 0;
    if (!parse_decimal(entry.substr(5), &offset) || !names_record(offset, layout.main_size)) {
      return set_error(error, "hanzi index entry at byte " + std::to_string(at) + " is malformed");
    }
    if (hanzi != nullptr) hanzi->emplace(std::string(entry.substr(0, length)), offset);
  }
  return true;
}

// The hanzi index as the generator stores it, built from checked records instead: each
// simplified text of two to four bytes to its record of the highest base frequency, the
// first such record on a tie.
void build_hanzi_index(const unsigned char* data, std::size_t main_size,
                       std::unordered_map<std::string, std::int64_t>* hanzi) {
  std::unordered_map<std::string, std::uint32_t> best_frequency;
  for (std::size_t at = 0; at + IME_PY_RECORD_SIZE < main_size; at += IME_PY_RECORD_SIZE) {
    ime_py_record_t record;
    if (!ime_py_decode_record(data, main_size, static_cast<std::int64_t>(at), &record)) continue;
    std::string text = record.simplified();
    if (text.size() < 2 || text.size() > 4) continue;
    auto [best, added] = best_frequency.try_emplace(text, record.base_frequency);
    if (added || record.base_frequency > best->second) {
      best->second = record.base_frequency;
      (*hanzi)[text] = static_cast<std::int64_t>(at);
    }
  }
}

bool starts_with(const char* text, std::string_view prefix) {
  return std::string_view(text).substr(0, prefix.size()) == prefix;
}

bool tone_matches(int wanted, std::uint8_t record_mask) {
  return wanted == 15 || (wanted & record_mask) != 0;
}

// The typed letters as a lower-case syllable of at most six letters, or empty.
std::string typed_syllable(const char* syllable) {
  if (syllable == nullptr) return {};
  std::string text(syllable, strnlen(syllable, IME_PY_SYLLABLE_BYTES + 1));
  if (text.empty() || text.size() > IME_PY_SYLLABLE_BYTES) return {};
  for (char c : text) {
    if (!is_lower(c)) return {};
  }
  return text;
}

bool record_matches(const ime_py_record_t& record, const std::string& typed, bool initial_only) {
  return initial_only ? starts_with(record.syllable, typed) : typed == record.syllable;
}

int first_slot(const std::string& initial) {
  if (initial == "zh") return 8;
  if (initial == "ch") return 20;
  if (initial == "sh") return 21;
  return initial[0] - 'a';
}

}  // namespace

bool ime_py_record_t::is_end() const { return std::strcmp(syllable, IME_PY_END_SYLLABLE) == 0; }

bool ime_py_decode_record(const unsigned char* table, std::size_t main_size, std::int64_t offset,
                          ime_py_record_t* record) {
  if (table == nullptr || record == nullptr || offset < 0 ||
      static_cast<std::uint64_t>(offset) + IME_PY_RECORD_SIZE > main_size) {
    return false;
  }
  unsigned char raw[IME_PY_RECORD_SIZE];
  std::memcpy(raw, table + offset, sizeof raw);
  ime_decode_str(raw, IME_PY_SYLLABLE_BYTES);
  ime_decode_str(raw + kTextAt, IME_PY_TEXT_BYTES);

  *record = {};
  std::memcpy(record->syllable, raw, IME_PY_SYLLABLE_BYTES);
  if (!syllable_field_valid(record->syllable)) return false;
  record->hanzi_index = ime_read_be32(raw + kIndexAt);
  record->simplified_length = raw[kSimplifiedLengthAt];
  record->traditional_length = raw[kTraditionalLengthAt];
  if (record->simplified_length + record->traditional_length > IME_PY_TEXT_BYTES) return false;
  std::memcpy(record->text, raw + kTextAt, IME_PY_TEXT_BYTES);
  record->base_frequency = ime_read_be32(raw + kFrequencyAt);
  record->class_digit = static_cast<char>(raw[kClassAt]);
  if (!is_digit(record->class_digit)) return false;
  record->tone_mask = raw[kToneAt];
  return true;
}

bool ime_py_parse_table(const unsigned char* data, std::size_t size, ime_py_layout_t* layout,
                        std::unordered_map<std::string, std::int64_t>* syllables,
                        std::string* error) {
  syllables->clear();
  ime_py_layout_t found;
  if (!frame_table(data, size, &found, error)) return false;
  if (!parse_syllable_index(data, found, syllables, error) ||
      !check_records(data, found.main_size, syllables, error) ||
      !read_hanzi_block(data, found, nullptr, error)) {
    syllables->clear();
    return false;
  }
  if (layout != nullptr) *layout = found;
  return true;
}

bool ime_py_check_ext_table(const unsigned char* data, std::size_t size, std::string* error) {
  if (data == nullptr) return set_error(error, "the file is empty");
  return check_records(data, size, nullptr, error);
}

bool ime_py_read_hanzi_index(const unsigned char* data, std::size_t size,
                             std::unordered_map<std::string, std::int64_t>* hanzi,
                             std::string* error) {
  ime_py_layout_t layout;
  if (!frame_table(data, size, &layout, error)) return false;
  if (layout.has_hanzi_index) return read_hanzi_block(data, layout, hanzi, error);
  if (!check_records(data, layout.main_size, nullptr, error)) return false;
  if (hanzi != nullptr) build_hanzi_index(data, layout.main_size, hanzi);
  return true;
}

int ime_load_py() {
  if (ime_py_info.address != nullptr) return 0;
  char path[512];
  if (ime_get_resource_filename("pinyin.db", path) != 0) return -1;
  if (ime_mmap(path, &ime_py_info, 0) != 0) {
    IME_ERROR("Load the py info file failed!");
    return -1;
  }
  auto* syllables = new std::unordered_map<std::string, std::int64_t>();
  ime_py_layout_t layout;
  std::string error;
  if (!ime_py_parse_table(static_cast<const unsigned char*>(ime_py_info.address),
                          static_cast<std::size_t>(ime_py_info.length), &layout, syllables,
                          &error)) {
    IME_ERROR("Pinyin table \"%s\" is damaged: %s.", path, error.c_str());
    delete syllables;
    ime_munmap(&ime_py_info);
    return -1;
  }
  delete ime_py_hash;
  ime_py_hash = syllables;
  ime_py_main_size = layout.main_size;
  return 0;
}

int ime_load_py_ext() {
  if (ime_pyext_info.address != nullptr) return 0;
  char path[512];
  if (ime_get_resource_filename("pinyin2.db", path) != 0) return -1;
  if (ime_mmap(path, &ime_pyext_info, 0) != 0) return -1;
  std::string error;
  if (!ime_py_check_ext_table(static_cast<const unsigned char*>(ime_pyext_info.address),
                              static_cast<std::size_t>(ime_pyext_info.length), &error)) {
    IME_ERROR("Pinyin extension table \"%s\" is damaged: %s.", path, error.c_str());
    ime_munmap(&ime_pyext_info);
    return -1;
  }
  return 0;
}

void ime_unload_py() {
  delete ime_py_hash;
  ime_py_hash = nullptr;
  ime_munmap(&ime_py_info);
  ime_munmap(&ime_pyext_info);
  ime_py_main_size = 0;
}

bool ime_is_sm(const char* text, std::size_t length) {
  if (text == nullptr) return false;
  if (length == 2) {
    return (text[0] == 'z' || text[0] == 'c' || text[0] == 's') && text[1] == 'h';
  }
  return length == 1 && is_lower(text[0]) && text[0] != 'a' && text[0] != 'e' && text[0] != 'o';
}

int ime_query_py_records(const char* syllable, int tone_mask, std::vector<ime_py_hit_t>* hits) {
  std::string typed = typed_syllable(syllable);
  if (typed.empty() || ime_py_hash == nullptr || ime_py_info.address == nullptr) return -1;
  bool initial_only = ime_is_sm(typed.data(), typed.size());
  auto start = ime_py_hash->find(initial_only ? ime_first_syllables[first_slot(typed)] : typed);
  if (start == ime_py_hash->end()) return -1;

  const auto* table = static_cast<const unsigned char*>(ime_py_info.address);
  int count = 0;
  for (std::int64_t at = start->second;; at += IME_PY_RECORD_SIZE) {
    ime_py_hit_t hit{{}, at, initial_only};
    if (!ime_py_decode_record(table, ime_py_main_size, at, &hit.record) || hit.record.is_end() ||
        !record_matches(hit.record, typed, initial_only)) {
      break;
    }
    if (!tone_matches(tone_mask, hit.record.tone_mask)) continue;
    hits->push_back(hit);
    ++count;
  }
  return count;
}

int ime_query_py_ext_records(const char* syllable, int tone_mask, std::vector<ime_py_hit_t>* hits) {
  std::string typed = typed_syllable(syllable);
  if (typed.empty() || ime_pyext_info.address == nullptr) return -1;
  bool initial_only = ime_is_sm(typed.data(), typed.size());
  const auto* table = static_cast<const unsigned char*>(ime_pyext_info.address);
  auto size = static_cast<std::size_t>(ime_pyext_info.length);
  int count = 0;
  for (std::int64_t at = 0;; at += IME_PY_RECORD_SIZE) {
    ime_py_hit_t hit{{}, at, initial_only};
    if (!ime_py_decode_record(table, size, at, &hit.record) || hit.record.is_end()) break;
    if (!record_matches(hit.record, typed, initial_only) ||
        !tone_matches(tone_mask, hit.record.tone_mask)) {
      continue;
    }
    hits->push_back(hit);
    ++count;
  }
  return count;
}
