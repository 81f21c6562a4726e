// Reading skin.ini values: the parsed dictionary, keys addressed by scheme index, and the
// comma lists the skins use for layouts, margins and colours.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

struct _dictionary_;

namespace kepskin {

using IniHandle = ::_dictionary_;

struct IniDeleter {
  void operator()(IniHandle* dictionary) const;
};
using IniDictionary = std::unique_ptr<IniHandle, IniDeleter>;

// The scheme sections by index; any other index names none.
inline constexpr const char* kSchemeNames[4] = {"scheme_h1", "scheme_h2", "scheme_v1", "scheme_v2"};

// ASCII letters lower-cased, every other byte (UTF-8 included) kept.
std::string lower_key(std::string_view key);

// Parses INI text (UTF-8) with iniparser through a private temporary file; null when it does
// not parse. Syntax complaints go to the skin log.
IniDictionary parse_ini_text(std::string_view utf8_text);

// "section:key" lookups; a null dictionary or an absent key answers the default. Plain integers
// are C literals (decimal, 0x hexadecimal, leading-0 octal).
int ini_getint(const IniHandle* dictionary, std::string_view key, int fallback);
const char* ini_getstring(const IniHandle* dictionary, std::string_view key, const char* fallback);

// The same for the key of the scheme section with index `scheme` (0..3); any other index, or a
// composed key longer than 127 characters, answers the default.
int _iniparser_getint(const IniHandle* dictionary, int scheme, std::string_view key, int fallback);
int _iniparser_getbool(const IniHandle* dictionary, int scheme, std::string_view key, int fallback);
const char* _iniparser_getstring(const IniHandle* dictionary, int scheme, std::string_view key,
                                 const char* fallback);

// The value of "section:key" as a string; the default when it is absent or not UTF-8.
std::string iniparser_getnsstring(const IniHandle* dictionary, std::string_view key,
                                  std::string_view fallback);

// Splits `text` at commas, removes blanks from each item and reads it: "0x"/"0X" hexadecimal
// (low 32 bits), else decimal (clamped to int; no number gives 0). Stores at most items.size()
// values from the start and answers how many; entries past that keep their values. Empty text
// stores nothing; an empty item between commas is 0.
int GetIntItems(std::string_view text, std::span<int> items);

}  // namespace kepskin
