#include "base/lossy_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::text::Encoding;

TEST(LossyTextTest, UnconvertibleCharactersBecomeQuestionMarks) {
  struct Case {
    const char* what;
    std::string utf8;
    Encoding encoding;
    std::size_t size;
    std::string expected;  // empty: nothing converts, result 0
  };
  const Case cases[] = {
      {"all GBK", "中国", Encoding::Gbk, 64, "\xD6\xD0\xB9\xFA"},
      {"emoji outside GBK", "a\xF0\x9F\x98\x80" "b", Encoding::Gbk, 64, "a?b"},
      {"stray byte", "a\xFF" "b", Encoding::Gbk, 64, "a?b"},
      {"nothing converts", "\xF0\x9F\x98\x80", Encoding::Gbk, 64, ""},
      {"cut before a character that does not fit", "中国", Encoding::Gbk, 4, "\xD6\xD0"},
      {"no room for any character", "中", Encoding::Gbk, 2, ""},
      {"UTF-16BE", "中a", Encoding::Utf16BE, 64, std::string("\x4E\x2D\x00\x61", 4)},
      {"empty", "", Encoding::Gbk, 64, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string buffer(c.size, '#');
    int written = ime_get_string(c.utf8, c.encoding, buffer.data(), buffer.size());
    EXPECT_EQ(written, static_cast<int>(c.expected.size()));
    EXPECT_EQ(buffer.substr(0, c.expected.size()), c.expected);
    EXPECT_EQ(buffer[c.expected.size()], '\0');
  }
  char none[1] = {'#'};
  EXPECT_EQ(ime_get_string("中", Encoding::Gbk, none, 0), 0);
  EXPECT_EQ(none[0], '#');
  EXPECT_EQ(ime_get_string("中", Encoding::Gbk, nullptr, 10), 0);
}

}  // namespace
