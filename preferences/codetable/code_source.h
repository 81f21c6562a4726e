// The text a code table is compiled from: UTF-8 lines of a code followed by one or more texts,
// separated by runs of blanks and tabs. Lines whose first byte is "#" are comments; empty lines
// and a code without texts give nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codetable {

// Lines longer than this are refused rather than cut: a cut would make a code of the rest.
inline constexpr std::size_t kMaxSourceLineBytes = 1 << 20;

// Pairs a table can number: record numbers are 32-bit and the engine keeps one counter more.
inline constexpr std::size_t kMaxPairs = 0x7FFFFFFE;

// One (code, text) pair: the source holds `ordinal` pairs before it.
struct CodePair {
  std::string key;
  std::string value;
  std::uint32_t ordinal = 0;
  std::size_t line = 0;  // 1-based, for messages
};

// The code and texts of one line (line end already removed); empty for comments and blank
// lines.
std::vector<std::string_view> SplitSourceLine(std::string_view line);

// Reads the source's pairs in source order, numbering them from 0. The number of pairs, or -1
// with the reason in `error` ("Open source file %s failed!", or an over-long line).
long long TagSrc(std::string* error, const std::string& path, std::vector<CodePair>* pairs);

// True when the file holds only well-formed UTF-8 (the pane refuses other sources).
bool IsUtf8File(const std::string& path);

}  // namespace codetable
