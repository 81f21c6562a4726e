#include "text/result_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string field_text(const std::uint8_t (&field)[IME_TEXT_BYTES]) {
  return std::string(reinterpret_cast<const char*>(field));
}

std::string repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(ResultTextTest, AppendsCutAtACharacterBoundaryAndKeepTheNul) {
  struct Case {
    const char* what;
    std::string before;
    std::string appended;
    int result;
    std::string after;
  };
  // 179 bytes of text fit: 59 three-byte characters are 177 bytes, the 60th no longer fits.
  const Case cases[] = {
      {"fits", "中", "国人", 0, "中国人"},
      {"exactly full", repeat("a", 176), "中", 0, repeat("a", 176) + "中"},
      {"one byte short", repeat("a", 177), "中", 1, repeat("a", 177)},
      {"long sentence", "", repeat("中", 70), 1, repeat("中", 59)},
      {"four-byte character at the edge", repeat("a", 176), "\xF0\xA0\x80\x80", 1, repeat("a", 176)},
      {"ascii to the last byte", repeat("a", 170), repeat("b", 20), 1, repeat("a", 170) + repeat("b", 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ime_query_result_t result{};
    std::uint8_t length = 0;
    ASSERT_EQ(ime_text_field_set(result.hz, &length, c.before), 0);
    EXPECT_EQ(ime_text_field_append(result.hz, &length, c.appended), c.result);
    EXPECT_EQ(field_text(result.hz), c.after);
    EXPECT_EQ(length, c.after.size());
    EXPECT_LE(length, IME_TEXT_BYTES - 1);
  }
}

TEST(ResultTextTest, AStaleLengthCannotSendTheWritePastTheField) {
  ime_query_result_t result{};
  std::memset(result.thz, 'x', sizeof result.thz);
  std::uint8_t length = 250;
  EXPECT_EQ(ime_text_field_append(result.thz, &length, "中"), 1);
  EXPECT_EQ(length, IME_TEXT_BYTES - 1);
  EXPECT_EQ(result.thz[IME_TEXT_BYTES - 1], 0);
}

TEST(ResultTextTest, ServiceSentencesAreConvertedAndBounded) {
  ime_query_result_t result{};
  std::uint8_t length = 0;
  // "中国" in GBK.
  ASSERT_TRUE(ime_sentence_text_from_gbk("\xD6\xD0\xB9\xFA", result.hz, &length));
  EXPECT_EQ(field_text(result.hz), "中国");
  EXPECT_EQ(length, 6);
  // 100 characters: 300 bytes of UTF-8, cut to 59 whole characters.
  ASSERT_TRUE(ime_sentence_text_from_gbk(repeat("\xD6\xD0", 100), result.hz, &length));
  EXPECT_EQ(field_text(result.hz), repeat("中", 59));
  EXPECT_EQ(length, 177);
  // Half a character: not GBK; the field keeps what it held.
  EXPECT_FALSE(ime_sentence_text_from_gbk("\xD6\xD0\xB9", result.hz, &length));
  EXPECT_EQ(length, 177);
  EXPECT_EQ(field_text(result.hz), repeat("中", 59));
}

}  // namespace
