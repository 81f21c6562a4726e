// Texts of a cell dictionary: the header's UTF-16LE fields, and the byte forms the builder and
// its description buffers take.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scel {

// The text of a fixed header field (UTF-16LE) as UTF-8. The text ends at the first zero unit
// that a second zero unit follows, or at a zero unit in the field's last place; a lone zero
// unit before other text belongs to the text. nullopt when the units are not valid UTF-16.
std::optional<std::string> header_text(std::string_view field);

// The samples text split at "\r "; empty pieces are dropped.
std::vector<std::string> split_samples(std::string_view text);

// True when a word's UTF-16LE units hold a field or line separator of the word list (blank,
// tab, carriage return, line feed) or a zero unit: such a word cannot be one line field.
bool has_word_list_separator(std::string_view utf16le);

// Copies the UTF-8 text into `buffer` (`size` bytes, no terminator added) as whole characters.
// Returns the bytes written, or -1 when not one character fits or the text is not UTF-8.
int GetUTF8(std::string_view utf8, char* buffer, std::size_t size);

// Converts the UTF-8 text strictly to GB18030 into `buffer` (`size` bytes, no terminator) as
// whole characters. Returns the bytes written, or -1 when the text does not convert or not one
// character fits.
int GetGB(std::string_view utf8, char* buffer, std::size_t size);

}  // namespace scel
