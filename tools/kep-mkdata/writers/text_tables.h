// Writers of the text tables: the accessory codes (fzm.db), the punctuation map (punct.def)
// and the word list the dictionary-folder builder reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mkdata {

using AccessoryCodes = std::vector<std::pair<std::string, std::vector<std::string>>>;

// fzm.db text: "<hanzi> <code> <code>..." lines. Only three-byte hanzi can be stored, codes are
// lower-case letters of at most 31 bytes, and a line stays within 127 bytes (codes that would
// pass it are left out). Returns the text; `lines` counts the hanzi written.
std::string write_accessory_codes(const AccessoryCodes& codes, std::size_t* lines);

// The 32 built-in punctuation mappings, in ascending order of their keys.
const std::vector<std::pair<char, std::string>>& default_punctuation();
// punct.def text: "<key> <value>\n" lines.
std::string write_punctuation(const std::vector<std::pair<char, std::string>>& mappings);

struct WordListEntry {
  std::vector<std::string> syllables;
  std::string word;    // UTF-8
  std::string second;  // UTF-8, or empty when the traditional form is to be computed
  std::uint32_t frequency = 0;
  std::string tones;  // one digit per syllable (tone_digit)
};

// The tone byte of a word list for a tone mask (bits 1, 2, 4, 8 for tones 1-4): "1"-"4" for
// one tone, "0" for none (neutral), "f" for unknown, else the mask as a hexadecimal digit; a
// mask of tones 1 and 2 alone has no digit of its own ("3" means tone 3) and widens to "7".
char tone_digit(std::uint8_t mask);

// One GB18030 word-list line "pin'yin word second frequency tones\n"; nullopt when the word or
// its second form has no GBK form of two bytes a character matching the syllables.
std::optional<std::string> write_word_list_line(const WordListEntry& entry);

}  // namespace mkdata
