// Readings of a text through the tiny hanzi information database: the reading the user typed
// wins, else the most used one, with its tone as a mask.
#include <gtest/gtest.h>

#include "CoreSource/query/readings.h"
#include "platform/text.h"
#include "query_fixture.h"

namespace table_test {
namespace {

std::string gb(const std::string& utf8) {
  return platform::text::from_utf8(utf8, platform::text::Encoding::Gb18030).value();
}

TEST_F(QueryTest, EachCharacterTakesTheReadingTypedAtItsPosition) {
  struct Case {
    std::vector<const char*> typed;
    int pyoff;
    const char* text;
    const char* pinyin;
    std::vector<std::uint8_t> tones;
  } cases[] = {
      {{"hang", "zhong"}, 0, "行中", "hang-zhong", {2, 1}},
      {{"xing", "zh"}, 0, "行中", "xing-zhong", {2, 1}},
      {{"h", "z"}, 0, "行中", "hang-zhong", {2, 1}},
      {{"ji", "de"}, 0, "几的", "ji-de", {4, 0}},
      {{"zhong", "heng"}, 1, "行", "heng", {2}},   // positions count from the unchosen part
      {{"qu"}, 0, "行中的", "xing-zhong-de", {2, 1, 0}},  // nothing fits: the most used
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.pinyin);
    std::memset(c_->py, 0, sizeof c_->py);
    split(k.typed);
    c_->pyoff = static_cast<std::uint16_t>(k.pyoff);
    std::string text = gb(k.text);
    char pinyin[64];
    std::uint8_t tones[8] = {};
    EXPECT_EQ(ime_fill_py(c_, text.data(), text.size(), pinyin, sizeof pinyin, tones, 8),
              static_cast<int>(k.tones.size()));
    EXPECT_STREQ(pinyin, k.pinyin);
    EXPECT_EQ(std::vector<std::uint8_t>(tones, tones + k.tones.size()), k.tones);
  }
}

TEST_F(QueryTest, ReadingsFailRatherThanGuessOrOverflow) {
  split({"zhong", "guo"});
  char pinyin[64];
  std::uint8_t tones[8];
  std::string unknown = gb("中国");  // 国 has no record in the tiny database
  EXPECT_EQ(ime_fill_py(c_, unknown.data(), unknown.size(), pinyin, sizeof pinyin, tones, 8), -1);
  std::string two = gb("中中");
  EXPECT_EQ(ime_fill_py(c_, two.data(), two.size(), pinyin, 11, tones, 8), -1);  // "zhong-zhong"
  EXPECT_EQ(ime_fill_py(c_, two.data(), two.size(), pinyin, 12, tones, 8), 2);
  EXPECT_EQ(ime_fill_py(c_, two.data(), two.size(), pinyin, sizeof pinyin, tones, 1), -1);
  const char broken[] = {'\x81'};
  EXPECT_EQ(ime_fill_py(c_, broken, 1, pinyin, sizeof pinyin, tones, 8), -1);
  ime_exit();
  EXPECT_EQ(ime_fill_py(c_, two.data(), two.size(), pinyin, sizeof pinyin, tones, 8), -1);
}

}  // namespace
}  // namespace table_test
