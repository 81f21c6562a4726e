#include "sentenceparser/core/hanzi_pinyin.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::gbk;

class HanziPinyinTest : public sentence_test::CoreTest {};

TEST_F(HanziPinyinTest, ReadingOfTheLowestPosition) {
  load_table({{"aP", "啊阿"},
              {"eQ", "额阿"},
              {"he", "喝和"},
              {"huo", "和或"},
              {"ji", "机几"},
              {"jie", "几节"},
              {"zhong", "中重"},
              {"chong", "冲重"},
              {"iA", "丨"}});
  struct Case {
    std::string character;
    const char* reading;
  } cases[] = {
      {"啊", "a"},       {"阿", "a"},     // tie at position 1: aP (0) before eQ (78)
      {"额", "e"},       {"和", "huo"},   // position 0 beats a lower syllable number
      {"几", "jie"},     {"重", "chong"}, // tie at position 1: chong before zhong
      {"中", "zhong"},
  };
  for (const auto& c : cases) {
    char out[7] = {};
    EXPECT_EQ(GetHzPy(gbk(c.character).c_str(), out), 1) << c.reading;
    EXPECT_STREQ(out, c.reading);
  }
}

TEST_F(HanziPinyinTest, NoReading) {
  load_gbk_table({{"iA", gbk("丨")}, {"shi", gbk("十") + "\xD7\xFA\xB0\xFF"}});
  const std::string none[] = {gbk("丨"), gbk("国"), "\xD7\xFA", "\xB0\xFF", gbk("Ａ"), "ab", ""};
  for (const auto& character : none) {
    char out[7] = "xxxxxx";
    EXPECT_EQ(GetHzPy(character.c_str(), out), 0) << testing::PrintToString(character);
    EXPECT_STREQ(out, "xxxxxx");
  }
}

}  // namespace
