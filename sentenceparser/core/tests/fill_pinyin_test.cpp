#include "sentenceparser/core/fill_pinyin.h"

#include <gtest/gtest.h>

#include <string>

#include "sentenceparser/core/tests/reading_library_fixture.h"

namespace {

using namespace sentence;
using sentence_test::gbk;

class FillPinyinTest : public sentence_test::ReadingLibraryTest {
 protected:
  void SetUp() override {
    ReadingLibraryTest::SetUp();
    write_character_readings({{"长", "zhang"}, {"城", "cheng"}, {"中", "zhong"}, {"国", "guo"},
                              {"行", "xing"}, {"银", "yin"}, {"人", "ren"}, {"了", "le"},
                              {"好", "hao"}, {"你", "ni"}});
    write_reading_library(false, {{"长城", "chang-cheng"}, {"中国", "zhong-guo"}, {"银行", "yin-hang"},
                                  {"好了", "hao-le"}});
    write_reading_library(true, {{"长城", "chang-cheng"}, {"银行", "yin-hang"}, {"行长", "hang-zhang"},
                                 {"中国银行行长", "zhong-guo-yin-hang-hang-zhang"}});
  }
  // FillPy of UTF-8 text.
  std::string fill(const std::string& text, std::size_t room = 1024) {
    std::string out(room, '\x7F');
    FillPy(gbk(text).c_str(), out.data(), room);
    return sentence_test::utf8(out.substr(0, out.find('\0')));
  }
};

TEST_F(FillPinyinTest, ReadingsOfItems) {
  const std::pair<const char*, const char*> cases[] = {
      {"长_城", "chang-cheng"},  // 长 from the word, 城 from the first pass
      {"行", "xing"},            // alone: the default reading in the last window pass
      {"中_A", "zhong-A"},       // not a hanzi: copied as it is
      {"中_，_国", "zhong-，-guo"},
      {"千古", "qian-gu"},
      {"长城", "chang-cheng"},   // read as a word in the first pass keeps its '-'
      {"银_行", "yin-hang"},
      {"中国_银_行_行_长", "zhong-guo-yin-hang-hang-zhang"},  // one window of five items
      {"中国银行_行_长", "zhongguoyinhang-hang-zhang"},  // filled by the window: run together
      {"行_长", "hang-zhang"},
      {"你_好_了", "ni-hao-le"},  // 好了 is no polyphone word: 了 keeps its default reading
      {"", ""},
      {"_", "-"},
  };
  for (const auto& [text, pinyin] : cases) EXPECT_EQ(fill(text), pinyin) << text;
}

TEST_F(FillPinyinTest, InputIsCutToTheTable) {
  std::string many;
  for (int i = 0; i < 300; ++i) many += i == 0 ? "中" : "_中";
  std::string expected;
  for (int i = 0; i < kFillItemsMax; ++i) expected += i == 0 ? "zhong" : "-zhong";
  EXPECT_EQ(fill(many, 4096), expected);

  // An item longer than its field ends the input at a character boundary.
  std::string long_item;
  for (int i = 0; i < 50; ++i) long_item += "长";
  const std::string out = fill(long_item + "_城");
  EXPECT_EQ(out, sentence_test::utf8(gbk(long_item).substr(0, 78)));  // 39 of the 50
}

TEST_F(FillPinyinTest, OutputIsCutBeforeTheFirstItemThatDoesNotFit) {
  EXPECT_EQ(fill("中_国_中", 15), "zhong-guo");
  EXPECT_EQ(fill("中_国_中", 16), "zhong-guo-zhong");
  EXPECT_EQ(fill("中", 5), "");
  EXPECT_EQ(fill("中", 1), "");
}

}  // namespace
