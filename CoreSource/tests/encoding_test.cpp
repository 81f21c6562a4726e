#include "base/encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine_test_support.h"

using namespace engine_test;

namespace {

struct Sample {
  const char* label;
  std::string utf8;
  std::string utf16be;
  std::string gb18030;
};

const std::vector<Sample>& samples() {
  static const std::vector<Sample> all = {
      {"ascii", "a", std::string("\x00\x61", 2), "a"},
      {"two-byte hanzi", "\xe4\xb8\xad", "\x4e\x2d", "\xd6\xd0"},
      {"euro sign", "\xe2\x82\xac", "\x20\xac", "\xa2\xe3"},
      {"four-byte GB18030 (U+20000)", "\xf0\xa0\x80\x80", std::string("\xd8\x40\xdc\x00", 4),
       "\x95\x32\x82\x36"},
      {"mixed", "a\xe4\xb8\xad\xf0\xa0\x80\x80", std::string("\x00\x61\x4e\x2d\xd8\x40\xdc\x00", 8),
       "a\xd6\xd0\x95\x32\x82\x36"},
  };
  return all;
}

int len(const std::string& s) { return static_cast<int>(s.size()); }

TEST(Encoding, ConvertsEveryDirection) {
  for (const Sample& s : samples()) {
    SCOPED_TRACE(s.label);
    const char* gb = ime_convert_to_gb(s.utf16be.data(), len(s.utf16be));
    ASSERT_NE(gb, nullptr);
    EXPECT_EQ(std::string(gb), s.gb18030);

    const char* utf8 = ime_convert_to_utf8(s.utf16be.data(), len(s.utf16be));
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(std::string(utf8), s.utf8);

    char out[64];
    std::uint16_t size16 = sizeof out;
    ASSERT_EQ(ime_convert_to_gb_2(s.utf16be.data(), len(s.utf16be), out, &size16), out);
    EXPECT_EQ(std::string(out, size16), s.gb18030);

    size16 = sizeof out;
    ASSERT_EQ(ime_convert_to_gb_3(s.utf8.data(), len(s.utf8), out, &size16), out);
    EXPECT_EQ(std::string(out, size16), s.gb18030);

    size16 = sizeof out;
    ASSERT_EQ(ime_convert_to_utf8_2(s.utf16be.data(), len(s.utf16be), out, &size16), out);
    EXPECT_EQ(std::string(out, size16), s.utf8);

    std::uint32_t size32 = sizeof out;
    ASSERT_EQ(ime_convert_to_utf8_3(s.gb18030.data(), len(s.gb18030), out, &size32), out);
    EXPECT_EQ(size32, s.utf8.size());
    EXPECT_STREQ(out, s.utf8.c_str());
  }
}

TEST(Encoding, InvalidInputFails) {
  LogCapture log;
  const std::string odd("\x4e\x2d\x4e", 3);
  const std::string lone_surrogate("\xd8\x40", 2);
  for (const std::string& bad : {odd, lone_surrogate}) {
    EXPECT_EQ(ime_convert_to_gb(bad.data(), len(bad)), nullptr);
    EXPECT_EQ(ime_convert_to_utf8(bad.data(), len(bad)), nullptr);
    char out[16];
    std::uint16_t size = sizeof out;
    EXPECT_EQ(ime_convert_to_gb_2(bad.data(), len(bad), out, &size), nullptr);
    EXPECT_EQ(size, 0);
    size = sizeof out;
    EXPECT_EQ(ime_convert_to_utf8_2(bad.data(), len(bad), out, &size), nullptr);
    EXPECT_EQ(size, 0);
  }
  char out[16];
  std::uint16_t size16 = sizeof out;
  EXPECT_EQ(ime_convert_to_gb_3("\xff\xfe", 2, out, &size16), nullptr);
  EXPECT_EQ(size16, 0);
  std::uint32_t size32 = sizeof out;
  EXPECT_EQ(ime_convert_to_utf8_3("\x81", 1, out, &size32), nullptr);
  EXPECT_EQ(size32, 0u);

  EXPECT_EQ(ime_convert_to_gb(nullptr, 2), nullptr);
  EXPECT_EQ(ime_convert_to_utf8("\x00\x61", -1), nullptr);
  size16 = sizeof out;
  EXPECT_EQ(ime_convert_to_gb_2("\x00\x61", 2, out, nullptr), nullptr);
  EXPECT_FALSE(LogCapture::lines().empty());
}

TEST(Encoding, ResultsThatDoNotFitFailWithoutWriting) {
  LogCapture log;
  const std::string hanzi_utf16("\x4e\x2d", 2);   // 2 GB18030 bytes, 3 UTF-8 bytes
  const std::string hanzi_gb("\xd6\xd0", 2);
  struct Case {
    const char* label;
    int capacity;
    bool fits;
    bool terminated;
  };
  const Case gb_cases[] = {
      {"one byte short", 1, false, false},
      {"exact fit, no room for the zero", 2, true, false},
      {"room for the zero", 3, true, true},
  };
  for (const Case& c : gb_cases) {
    SCOPED_TRACE(c.label);
    char out[8];
    std::memset(out, 0x55, sizeof out);
    std::uint16_t size = static_cast<std::uint16_t>(c.capacity);
    char* result = ime_convert_to_gb_2(hanzi_utf16.data(), 2, out, &size);
    EXPECT_EQ(result != nullptr, c.fits);
    EXPECT_EQ(size, c.fits ? 2 : 0);
    if (c.fits) {
      EXPECT_EQ(std::string(out, 2), hanzi_gb);
    } else {
      EXPECT_EQ(out[0], 0x55);
    }
    EXPECT_EQ(out[2], c.terminated ? '\0' : 0x55);
    for (int i = c.capacity; i < 8; ++i) {
      if (i != 2 || !c.terminated) {
        EXPECT_EQ(out[i], 0x55) << i;
      }
    }
  }

  // The UTF-8 result of GB18030 text is promised zero-terminated: the zero must fit too.
  char out[8];
  std::memset(out, 0x55, sizeof out);
  std::uint32_t size32 = 3;
  EXPECT_EQ(ime_convert_to_utf8_3(hanzi_gb.data(), 2, out, &size32), nullptr);
  EXPECT_EQ(size32, 0u);
  EXPECT_EQ(out[0], 0x55);
  size32 = 4;
  EXPECT_EQ(ime_convert_to_utf8_3(hanzi_gb.data(), 2, out, &size32), out);
  EXPECT_EQ(size32, 3u);
  EXPECT_STREQ(out, "\xe4\xb8\xad");
  EXPECT_EQ(out[4], 0x55);

  std::uint16_t size16 = 2;
  EXPECT_EQ(ime_convert_to_utf8_2(hanzi_utf16.data(), 2, out, &size16), nullptr);
  EXPECT_EQ(size16, 0);
}

TEST(Encoding, InputsOver512BytesAreRefused) {
  LogCapture log;
  std::string utf16;
  for (int i = 0; i < 256; ++i) utf16 += std::string("\x00\x61", 2);
  ASSERT_EQ(utf16.size(), 512u);
  const char* ok = ime_convert_to_utf8(utf16.data(), len(utf16));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(std::string(ok), std::string(256, 'a'));

  std::string longer = utf16 + std::string("\x00\x61", 2);
  EXPECT_EQ(ime_convert_to_utf8(longer.data(), len(longer)), nullptr);
  char out[1024];
  std::uint16_t size = sizeof out;
  EXPECT_EQ(ime_convert_to_gb_2(longer.data(), len(longer), out, &size), nullptr);
  EXPECT_EQ(size, 0);
  std::string gb(514, 'a');
  std::uint32_t size32 = sizeof out;
  EXPECT_EQ(ime_convert_to_utf8_3(gb.data(), len(gb), out, &size32), nullptr);
}

TEST(Encoding, StaticResultsMustLeaveRoomForTheZero) {
  LogCapture log;
  std::string hanzi255, hanzi256;
  for (int i = 0; i < 255; ++i) hanzi255 += "\x4e\x2d";
  hanzi256 = hanzi255 + "\x4e\x2d";
  const char* gb = ime_convert_to_gb(hanzi255.data(), len(hanzi255));
  ASSERT_NE(gb, nullptr);
  EXPECT_EQ(std::strlen(gb), 510u);
  EXPECT_EQ(ime_convert_to_gb(hanzi256.data(), len(hanzi256)), nullptr);
  // 171 hanzi would need 513 UTF-8 bytes.
  EXPECT_EQ(ime_convert_to_utf8(hanzi255.data(), 171 * 2), nullptr);
  EXPECT_NE(ime_convert_to_utf8(hanzi255.data(), 170 * 2), nullptr);
}

TEST(Encoding, StaticResultIsSharedBetweenCalls) {
  const char* first = ime_convert_to_utf8("\x4e\x2d", 2);
  const char* second = ime_convert_to_utf8("\x56\xfd", 2);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "\xe5\x9b\xbd");
}

}  // namespace
