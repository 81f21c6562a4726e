// The scheme file of a code table (".pct"): one line of "|"-separated fields, and the names of
// the table's other files.
//
//   0 longest code    1 wildcard      2 auto confirm    3 show left
//   4 match method (0 prefix search, 1 exact search)    5 sort method
//   6 charset of first keys    7 charset of the other keys   ("a-z" when the line has 6 fields)
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace codetable {

inline constexpr std::size_t kSchemeLineBytes = 127;
inline constexpr char kDefaultWildcard = '*';
inline constexpr int kDefaultMaxKeyLength = 5;
inline constexpr const char* kDefaultCharset = "a-z";

struct SchemeLine {
  int max_key_length = kDefaultMaxKeyLength;
  char wildcard = kDefaultWildcard;
  int auto_confirm = 0;
  int show_left = 0;
  int match_method = 0;
  int sort_method = 0;
  std::string header_charset = kDefaultCharset;
  std::string other_charset = kDefaultCharset;

  bool operator==(const SchemeLine&) const = default;
};

// A scheme from the first line of a scheme file (at most 127 bytes are read; a line end is not
// part of it). Nothing when the line has neither 6 nor 8 fields.
std::optional<SchemeLine> ParseSchemeLine(std::string_view text);
// The line as the pane writes it: "%d|%c|%d|%d|%d|%d|%s|%s", without a line end.
std::string FormatSchemeLine(const SchemeLine& scheme);

// Reads a scheme file. Nothing when it cannot be read or is no scheme.
std::optional<SchemeLine> ReadSchemeFile(const std::string& path);
// Writes a scheme file atomically (a temporary file beside it, renamed over it). false with
// the reason in `error`.
bool WriteSchemeFile(const std::string& path, const SchemeLine& scheme, std::string* error);

// The last component of `path` with its last extension (from the last ".") replaced by
// `extension`, which brings its own dot; appended when the name has none.
std::string GetLastName(std::string_view path, std::string_view extension);

// Longest scheme name: "<name>.freq" must still fit a file name.
inline constexpr std::size_t kMaxTableNameBytes = 250;

// True for a name that can become "<folder>/<name>.qdb" and stay in that folder: a plain file
// name of at most kMaxTableNameBytes, without "/", NUL or other control characters, and not
// beginning with a dot (which also rules out "." and "..", and hidden files).
bool IsTableName(std::string_view name);

// True for a wildcard the scheme line can carry and a key can be typed with: one printable
// ASCII character other than a blank and the field separator "|".
bool IsWildcard(std::string_view text);

// "$HOME/Library/KEP/PlugCodeTable"; empty, with the reason in `error`, when HOME is unset,
// empty or not absolute.
std::string PlugCodeTableFolder(std::string* error);

}  // namespace codetable
