#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform::text {
namespace {

// U+4E2D 中, U+20000 𠀀 (four bytes in GB18030 and UTF-8), U+0080 (four bytes in GB18030).
constexpr std::string_view kUtf8 = "\xE4\xB8\xAD" "\xF0\xA0\x80\x80" "\xC2\x80" "a";
constexpr std::string_view kGb18030 = "\xD6\xD0" "\x95\x32\x82\x36" "\x81\x30\x81\x30" "a";
constexpr std::string_view kUtf16BE = std::string_view("\x4E\x2D" "\xD8\x40\xDC\x00" "\x00\x80" "\x00" "a", 10);
constexpr std::string_view kUtf16LE = std::string_view("\x2D\x4E" "\x40\xD8\x00\xDC" "\x80\x00" "a" "\x00", 10);

struct RoundTrip {
  Encoding encoding;
  std::string_view bytes;
};

class RoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ConvertsBothWays) {
  const auto& param = GetParam();
  auto encoded = from_utf8(kUtf8, param.encoding);
  ASSERT_TRUE(encoded);
  EXPECT_EQ(*encoded, param.bytes);
  auto decoded = to_utf8(param.bytes, param.encoding);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, kUtf8);
}

INSTANTIATE_TEST_SUITE_P(Encodings, RoundTripTest,
                         testing::Values(RoundTrip{Encoding::Gb18030, kGb18030},
                                         RoundTrip{Encoding::Utf16BE, kUtf16BE},
                                         RoundTrip{Encoding::Utf16LE, kUtf16LE}));

TEST(TextTest, GbkCannotHoldFourByteCharacters) {
  EXPECT_EQ(from_utf8("\xE4\xB8\xAD", Encoding::Gbk), std::optional<std::string>("\xD6\xD0"));
  EXPECT_FALSE(from_utf8("\xF0\xA0\x80\x80", Encoding::Gbk));
}

TEST(TextTest, InvalidInputIsAnError) {
  struct Case {
    std::string_view bytes;
    Encoding from;
  } cases[] = {
      {"\xE4\xB8", Encoding::Utf8},                 // truncated sequence
      {"\xC0\x80", Encoding::Utf8},                 // overlong
      {"\xED\xA0\x80", Encoding::Utf8},             // surrogate
      {"\xD6", Encoding::Gb18030},                  // lone lead byte
      {"\x95\x32\x82", Encoding::Gb18030},          // cut four-byte sequence
      {"\xD6\x7F", Encoding::Gb18030},              // invalid trail byte
      {std::string_view("\xD8\x40", 2), Encoding::Utf16BE},  // lone high surrogate
      {std::string_view("\x4E", 1), Encoding::Utf16BE},      // odd length
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(to_utf8(c.bytes, c.from)) << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(TextTest, DetectsByteOrderMarks) {
  EXPECT_EQ(detect_bom("\xEF\xBB\xBFx").encoding, Encoding::Utf8);
  EXPECT_EQ(detect_bom("\xEF\xBB\xBFx").length, 3u);
  EXPECT_EQ(detect_bom("\xFF\xFEx").encoding, Encoding::Utf16LE);
  EXPECT_EQ(detect_bom("\xFE\xFFx").encoding, Encoding::Utf16BE);
  EXPECT_FALSE(detect_bom("abc").encoding);
  EXPECT_EQ(detect_bom("").length, 0u);
}

TEST(TextTest, DecodeToUtf8PicksTheEncoding) {
  EXPECT_EQ(decode_to_utf8("\xFE\xFF\x4E\x2D"), std::optional<std::string>("\xE4\xB8\xAD"));
  EXPECT_EQ(decode_to_utf8("\xE4\xB8\xAD"), std::optional<std::string>("\xE4\xB8\xAD"));
  EXPECT_EQ(decode_to_utf8("\xD6\xD0"), std::optional<std::string>("\xE4\xB8\xAD"));
  EXPECT_FALSE(decode_to_utf8("\xD6"));
}

TEST(TextTest, Utf8PrefixStopsAtCharacterBoundaries) {
  std::string_view text = "a\xE4\xB8\xAD" "b";
  EXPECT_EQ(utf8_prefix(text, 10), text);
  EXPECT_EQ(utf8_prefix(text, 4), "a\xE4\xB8\xAD");
  EXPECT_EQ(utf8_prefix(text, 3), "a");
  EXPECT_EQ(utf8_prefix(text, 1), "a");
  EXPECT_EQ(utf8_prefix(text, 0), "");
}

}  // namespace
}  // namespace platform::text
