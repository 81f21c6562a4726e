// The pinyin code file: a developer's table of characters with their readings, compiled from a
// text list, and the lookup that gives a text its pinyin (the most used reading of each
// character) and its second form.
//
// Source list, one entry a line: the pinyin and one blank; the character (GB18030), ended by a
// tab, line feed or blank; optionally the second form (one GB18030 character), the frequency
// (decimal) and a tag, each ended by one tab or blank, the last by the line feed.
//
// Code file (numbers big-endian):
//   26 u32      offsets of the top-level nodes "a" to "z" (0: none)
//   nodes       depth first, each: u32 parent offset, u16 entries at or below it, 26 u32 child
//               offsets, u16 record count, then its 26-byte records, then its children
//   records     pinyin (6), tag (4), character (2, GB18030), second form (2), u32 frequency,
//               u32 sequence number, u32 offset of the previous record of the same character
//   index       45567 u32: the last record of each character, by its UTF-16 code unit - 19968
//   trailer     name (16), description (64), author (32), date (10), "KEP10000"
//
// Characters are keyed by their UTF-16 code unit both when the file is built and when it is
// read, so only characters from U+4E00 to U+FFFF with a two-byte GB18030 form can be stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint32_t IME_PYCODE_FIRST_UNIT = 19968;  // U+4E00
inline constexpr std::size_t IME_PYCODE_INDEX_ENTRIES = 45567;
inline constexpr std::size_t IME_PYCODE_INDEX_BYTES = IME_PYCODE_INDEX_ENTRIES * 4;  // 182268
inline constexpr std::size_t IME_PYCODE_TRAILER_BYTES = 130;
inline constexpr std::size_t IME_PYCODE_RECORD_BYTES = 26;
inline constexpr std::size_t IME_PYCODE_NODE_BYTES = 4 + 2 + 26 * 4 + 2;
inline constexpr int IME_PYCODE_MAX_READINGS = 16;
inline constexpr const char* IME_PYCODE_TAG = "KEP10000";
inline constexpr const char* IME_PYCODE_DEFAULT_FILE =
    "/Library/Components/KEP.component/Contents/Resources/py.mb";

// One entry of the build tree: a character under the node of its pinyin's last letter.
struct ime_pycode_entry_t {
  char pinyin[7];
  unsigned char hz[2];
  unsigned char second[2];
  char tag[4];
  std::uint32_t sequence;
  std::uint32_t frequency;
  ime_pycode_entry_t* next;
};

// A node of the 26-way tree over the pinyin letters.
struct ime_pycode_node_t {
  std::uint32_t offset;
  std::uint16_t count;  // entries at or below the node
  ime_pycode_entry_t* entries;
  ime_pycode_node_t* children[26];
};

// Compiles the source list at `source` into the code file at `output` (and the empty companion
// file "<output>.i"), with the tree under `root` (26 empty children). Lines that cannot be
// stored are reported and skipped. 0, or -1 when a file cannot be opened or written or a node
// would count more entries than its 16-bit counter holds. The tree is released before returning.
int ime_build_pinyin_from_file(ime_pycode_node_t* root, const char* source, const char* output,
                               const char* name, const char* description, const char* author);

// A reading that replaces the most used one for a character (by its index: code unit - 19968).
struct ime_pycode_override_t {
  char pinyin[7];
  std::uint32_t index;
};

// The pinyin of `text` (UTF-8), syllables joined by "'", into `pinyin` (`*pinyin_length` bytes
// in, bytes written out, zero-terminated), and the second form of each character, two GB18030
// bytes each, into `second` (`*second_length` in and out). Without an open code file the
// resource py.mb is opened. 0, or -1 when the file cannot be opened or is damaged, a character
// lies outside the index or has no record, or an output is too small.
int ime_build_phrase(std::FILE* code_file, const char* text, char* pinyin, std::size_t* pinyin_length,
                     unsigned char* second, std::size_t* second_length,
                     const ime_pycode_override_t* overrides, int override_count);
// The same with strings: the pinyin (ASCII) and the second form (UTF-16). On failure nothing
// is written to them.
int ime_build_phrase_string(std::FILE* code_file, const std::string& text, std::string* pinyin,
                            std::u16string* second, const ime_pycode_override_t* overrides,
                            int override_count);
// The same for a GB18030 text.
int ime_build_phrase_gb_string(std::FILE* code_file, const char* gb18030, std::size_t length,
                               std::string* pinyin, std::u16string* second,
                               const ime_pycode_override_t* overrides, int override_count);

// Conversions between big-endian and the host's order, applied only when the engine knows it
// runs on a little-endian processor (ime_x86_platform); otherwise values pass unchanged.
std::uint32_t ime_swap_bin32(std::uint32_t value);
std::uint16_t ime_swap_bin16(std::uint16_t value);
void int32cpy(void* out, std::uint32_t value);
void int16cpy(void* out, std::uint16_t value);
// Every 16-bit unit of `buffer` (`length` bytes) converted the same way, in place.
void ime_swap_str(void* buffer, std::size_t length);
void ntouni(void* buffer, std::size_t length);
// Copies `source` into `destination`, at most `bound` bytes; no terminator when cut.
char* _strcpy(char* destination, const char* source, std::size_t bound);
