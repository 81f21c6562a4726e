// The text helpers of the cell-dictionary reader.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "celldict/scel_text.h"

namespace {

struct Case {
  std::string text;
  std::size_t size;
  int result;
  std::string bytes;
};

TEST(ScelText, GetGBConvertsWholeCharactersStrictly) {
  const std::vector<Case> cases = {
      {"中国", 512, 4, "\xD6\xD0\xB9\xFA"},
      {"中国", 3, 2, "\xD6\xD0"},          // the cut falls between characters
      {"中国", 1, -1, ""},                 // not one character fits
      {"", 512, -1, ""},
      {"a中", 2, 1, "a"},
      {"㐀", 512, 4, "\x81\x39\xEE\x39"},  // four bytes in GB18030
      {"\xD6\xD0", 512, -1, ""},           // not UTF-8
  };
  for (const Case& c : cases) {
    char buffer[512];
    std::memset(buffer, 0x55, sizeof buffer);
    const int result = scel::GetGB(c.text, buffer, c.size);
    EXPECT_EQ(result, c.result) << c.text;
    if (result > 0) {
      EXPECT_EQ(std::string(buffer, result), c.bytes) << c.text;
    }
    EXPECT_EQ(buffer[result > 0 ? result : 0], 0x55) << "no terminator is written";
  }
}

TEST(ScelText, GetUTF8CutsAtACharacterBoundary) {
  const std::vector<Case> cases = {
      {"中国", 512, 6, "中国"}, {"中国", 5, 3, "中"}, {"中国", 2, -1, ""},
      {"", 10, -1, ""},         {"\xFF", 10, -1, ""},
  };
  for (const Case& c : cases) {
    char buffer[512];
    const int result = scel::GetUTF8(c.text, buffer, c.size);
    EXPECT_EQ(result, c.result) << c.text;
    if (result > 0) {
      EXPECT_EQ(std::string(buffer, result), c.bytes) << c.text;
    }
  }
}

TEST(ScelText, HeaderTextEndsAtTwoZeroUnits) {
  using std::string;
  const std::vector<std::pair<string, std::optional<string>>> cases = {
      {string("a\0b\0\0\0\0\0", 8), "ab"},
      {string("a\0\0\0b\0\0\0\0\0", 10), string("a\0b", 3)},
      {string("a\0b\0", 4), "ab"},              // fills its field
      {string("a\0\0\0", 4), "a"},              // a zero in the last place ends it too
      {string("\0\0a\0", 4), string("\0a", 2)},  // a leading lone zero too
      {string("\0\0\0\0", 4), ""},
      {string("\0\xD8\0\0\0\0", 6), std::nullopt},  // a lone surrogate
  };
  for (const auto& [field, text] : cases) EXPECT_EQ(scel::header_text(field), text);
}

TEST(ScelText, SeparatorsOfTheWordListAreFound) {
  using std::string;
  EXPECT_FALSE(scel::has_word_list_separator(string("\x2D\x4E\xFD\x56", 4)));  // 中国
  EXPECT_FALSE(scel::has_word_list_separator(string("\x00\x30", 2)));  // ideographic space
  for (const char* unit : {"\x20", "\x09", "\x0D", "\x0A", "\x00"}) {
    EXPECT_TRUE(scel::has_word_list_separator(string("\x2D\x4E", 2) + string(unit, 1) + string(1, '\0')))
        << static_cast<int>(unit[0]);
  }
}

}  // namespace
