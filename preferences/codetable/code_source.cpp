#include "code_source.h"

#include <fstream>
#include <iterator>

namespace codetable {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Length of the UTF-8 sequence starting at `s`, or 0 when it is malformed (overlong forms,
// surrogates and values past U+10FFFF included).
std::size_t utf8_sequence(const unsigned char* s, std::size_t left) {
  const unsigned char b = s[0];
  if (b < 0x80) return 1;
  std::size_t n;
  std::uint32_t min;
  std::uint32_t cp;
  if ((b & 0xE0) == 0xC0) {
    n = 2, min = 0x80, cp = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    n = 3, min = 0x800, cp = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    n = 4, min = 0x10000, cp = b & 0x07;
  } else {
    return 0;
  }
  if (left < n) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (s[k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

enum class LineRead { kLine, kEnd, kTooLong };

// Reads up to the next line feed (dropped) without holding more than `limit` bytes.
LineRead read_line(std::streambuf* in, std::string* line, std::size_t limit) {
  line->clear();
  for (;;) {
    const int c = in->sbumpc();
    if (c == std::char_traits<char>::eof()) return line->empty() ? LineRead::kEnd : LineRead::kLine;
    if (c == '\n') return LineRead::kLine;
    if (line->size() == limit) return LineRead::kTooLong;
    line->push_back(static_cast<char>(c));
  }
}

}  // namespace

std::vector<std::string_view> SplitSourceLine(std::string_view line) {
  std::vector<std::string_view> tokens;
  if (!line.empty() && line.front() == '#') return tokens;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && is_blank(line[at])) ++at;
    const std::size_t start = at;
    while (at < line.size() && !is_blank(line[at])) ++at;
    if (at > start) tokens.push_back(line.substr(start, at - start));
  }
  return tokens;
}

long long TagSrc(std::string* error, const std::string& path, std::vector<CodePair>* pairs) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error != nullptr) *error = "Open source file " + path + " failed!";
    return -1;
  }
  pairs->clear();
  std::string line;
  std::size_t line_number = 0;
  for (;;) {
    const LineRead read = read_line(in.rdbuf(), &line, kMaxSourceLineBytes);
    if (read == LineRead::kEnd) break;
    ++line_number;
    if (read == LineRead::kTooLong) {
      if (error != nullptr) {
        *error = "Line " + std::to_string(line_number) + " of " + path + " is longer than " +
                 std::to_string(kMaxSourceLineBytes) + " bytes.";
      }
      return -1;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string_view> tokens = SplitSourceLine(line);
    for (std::size_t k = 1; k < tokens.size(); ++k) {
      if (pairs->size() >= kMaxPairs) {
        if (error != nullptr) *error = "The source holds more than " + std::to_string(kMaxPairs) + " codes.";
        return -1;
      }
      CodePair pair;
      pair.key = std::string(tokens[0]);
      pair.value = std::string(tokens[k]);
      pair.ordinal = static_cast<std::uint32_t>(pairs->size());
      pair.line = line_number;
      pairs->push_back(std::move(pair));
    }
  }
  return static_cast<long long>(pairs->size());
}

bool IsUtf8File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t n = utf8_sequence(s + at, bytes.size() - at);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

}  // namespace codetable
