#include "sentenceparser/core/dan_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::row_text;
using sentence_test::utf8;

std::string additions_of(const char* syllable) {
  for (std::size_t i = 0; i < generated::kAccentAdditionsCount; ++i) {
    if (std::strcmp(generated::kAccentAdditions[i].syllable, syllable) == 0) {
      return utf8(generated::kAccentAdditions[i].gbk);
    }
  }
  return "";
}

std::string repeat(const std::string& character, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += character;
  return text;
}

class DanTableTest : public sentence_test::CoreTest {
 protected:
  void TearDown() override {
    InputProperty.StripUserMarks = 1;
    CoreTest::TearDown();
  }
  // The choice into an output of exactly the documented size, so that ASan sees any overrun.
  std::string choose(const char* text, signed char mode, unsigned* count,
                     const char* prefix = nullptr) {
    auto output = std::make_unique<char[]>(kRepeatHzOutput);
    std::memset(output.get(), 0, kRepeatHzOutput);
    *count = GetRepeatHz(prefix, text, output.get(), mode);
    return utf8(output.get());
  }
};

TEST_F(DanTableTest, RowsFollowTheSyllableNumbers) {
  load_table({{"aP", "啊阿"}, {"ji", "机几己及"}, {"zu", "组族"}, {"eQ", "饿"}});
  EXPECT_EQ(LoadDanTabFlag, 1);
  EXPECT_EQ(DanNum, kSyllableTextCount);
  EXPECT_EQ(row_text("ji"), "机几己及");
  EXPECT_EQ(DanTab[getpyno("ji")].count, 4);
  EXPECT_STREQ(DanTab[getpyno("ji")].syllable, "ji");
  EXPECT_STREQ(DanTab[0].syllable, "aP");
  EXPECT_EQ(row_text("aP"), "啊阿");
  EXPECT_EQ(row_text("zu"), "组族");
  EXPECT_EQ(DanTab[getpyno("ai")].count, 0);
  EXPECT_STREQ(DanTab[getpyno("zhuang")].syllable, "zhuang");

  FreeDan();
  EXPECT_EQ(LoadDanTabFlag, 0);
  EXPECT_EQ(DanTab[getpyno("ji")].characters, nullptr);
}

TEST_F(DanTableTest, OverlongLinesAndRowsAreRefusedWhole) {
  // "ai": 130 characters make a line of 262 bytes; "an": 123 characters fit a line but not a row.
  load_table({{"ai", repeat("爱", 130)}, {"ang", "昂"}, {"an", repeat("安", 123)}, {"ao", repeat("奥", kDanRowMax)}});
  EXPECT_EQ(DanTab[getpyno("ai")].count, 0);
  EXPECT_EQ(row_text("ang"), "昂");  // the rest of the long line did not become this row
  EXPECT_EQ(DanTab[getpyno("an")].count, 0);
  EXPECT_EQ(DanTab[getpyno("an")].characters, nullptr);
  EXPECT_EQ(DanTab[getpyno("ao")].count, kDanRowMax);
  EXPECT_EQ(DanNum, kSyllableTextCount);
}

TEST_F(DanTableTest, LineCountBounds) {
  const std::string longer = write("long.tab", sentence_test::pydan_text({{"zu", "组"}}, 440));
  ASSERT_EQ(LoadDanFrom(longer.c_str()), 1);
  EXPECT_EQ(DanNum, kDanRows);
  EXPECT_STREQ(DanTab[kDanRows - 1].syllable, "zz");
  EXPECT_EQ(row_text("zu"), "组");

  const std::string shorter = write("short.tab", sentence_test::pydan_text({{"ai", "爱"}}, 3));
  ASSERT_EQ(LoadDanFrom(shorter.c_str()), 1);
  EXPECT_EQ(DanNum, 3);
  EXPECT_EQ(row_text("ai"), "爱");
  EXPECT_EQ(DanTab[getpyno("zu")].characters, nullptr);

  EXPECT_EQ(LoadDanFrom((dir_.path() / "missing.tab").c_str()), 0);
  EXPECT_EQ(LoadDanTabFlag, 0);
  EXPECT_EQ(DanTab[getpyno("ai")].characters, nullptr);
}

TEST_F(DanTableTest, LoadDanFindsTheResourceAndTracesToTheEngineLog) {
  engine_test::ScratchHome home;
  engine_test::write_file(home.data_folder() / "pydan.tab", sentence_test::pydan_text({{"ji", "机"}}));
  engine_test::LogCapture log;
  testing::internal::CaptureStdout();
  LoadDan();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "");
  EXPECT_EQ(row_text("ji"), "机");
  const std::string path = (home.data_folder() / "pydan.tab").string();
  EXPECT_TRUE(std::any_of(log.lines().begin(), log.lines().end(), [&](const std::string& line) {
    return line.find("The data:[" + path + "]") != std::string::npos;
  }));

  const char* loaded = DanTab[getpyno("ji")].characters;
  LoadDan();  // loaded already: nothing happens
  EXPECT_EQ(DanTab[getpyno("ji")].characters, loaded);
}

TEST_F(DanTableTest, ChoiceOfOneCharacterAndOfTheList) {
  load_table({{"ji", "机几己"}, {"eQ", "饿鹅"}, {"ai", "爱哀"}});
  struct Case {
    const char* text;
    signed char mode;
    std::string output;
    unsigned count;
  } cases[] = {
      {"ji", 0, "及", 1},
      {"ji", 1, "机几己" + additions_of("ji"), 0},
      {"ai", 0, "爱", 1},  // no substitute: the row's first character
      {"e", 1, "饿鹅而二尔儿耳饵迩贰洱铒鸸珥鲕佴玉掌家结解", 0},
      {"A", 0, "按", 1},
      {"xyz", 0, "下", 1},
      {"5", 0, "5", 1},
      {"5", 1, "5", 1},
      {"\xE2\x80\x9C", 0, "”", 1},
      {"\xE2\x80\x9C", 2, "”‘’", 3},
      {"\xE2\x80\x9D", 0, "“", 1},
      {"\xE2\x80\x9D", -1, "“‘’", 3},
  };
  for (const auto& c : cases) {
    const std::string text = gbk(c.text);
    const unsigned expected = c.count != 0 ? c.count : static_cast<unsigned>(gbk(c.output).size() / 2);
    unsigned count = 99;
    EXPECT_EQ(choose(text.c_str(), c.mode, &count), c.output) << c.text << " mode " << int(c.mode);
    EXPECT_EQ(count, expected) << c.text << " mode " << int(c.mode);
  }
}

TEST_F(DanTableTest, AdditionsFollowTheirSwitch) {
  load_table({{"ji", "机几己"}});
  InputProperty.StripUserMarks = 0;
  unsigned count = 0;
  EXPECT_EQ(choose("ji", 1, &count), "机几己");
  EXPECT_EQ(count, 3u);
  // A syllable with neither a row nor additions has nothing to offer.
  EXPECT_EQ(choose("zuang", 0, &count), "");
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(choose("zuang", 1, &count), "");
  EXPECT_EQ(count, 0u);

  InputProperty.StripUserMarks = 1;
  FreeDan();  // no table at all: the additions alone
  EXPECT_EQ(choose("ai", 0, &count), "安");
  EXPECT_EQ(count, 1u);
}

TEST_F(DanTableTest, TextsOutOfBoundsGiveNothing) {
  load_table({{"ji", "机"}});
  char output[kRepeatHzOutput];
  std::memset(output, 'x', sizeof output);
  EXPECT_EQ(GetRepeatHz(nullptr, "", output, 0), 0u);
  EXPECT_EQ(GetRepeatHz(nullptr, "jijijijijijijijij", output, 1), 0u);  // 17 bytes
  EXPECT_EQ(output[0], 'x');
  EXPECT_EQ(GetRepeatHz(nullptr, "jijijijijijijiji", output, 0), 1u);  // 16 bytes: no syllable
  EXPECT_EQ(utf8(output), "就");
}

TEST_F(DanTableTest, GetDanExpandsTheFinalCode) {
  load_table({{"ji", "机"}, {"aP", "啊"}, {"lve", "略"}});
  struct Case {
    const char* code;
    std::string character;
    int result;
  } cases[] = {{"jV", "及", 1}, {"a<", "啊", 1}, {"l?", "略", 1}, {"j\x01", "", 0}, {"j", "", 0}};
  for (const auto& c : cases) {
    char output[kRepeatHzOutput] = {};
    EXPECT_EQ(GetDan(c.code, output), c.result) << c.code;
    EXPECT_EQ(utf8(output), c.character) << c.code;
  }
}

TEST(SubstituteTest, ListedSyllablesOnly) {
  struct Case {
    const char* syllable;
    std::string character;
  } cases[] = {{"an", "按"}, {"ji", "及"}, {"eng", "鞥"}, {"yo", "哟"}, {"zhuan", "转"},
               {"chuo", "戳"}, {"miu", "缪"}, {"a", ""}, {"zhuo", ""}, {"", ""}};
  for (const auto& c : cases) {
    char output[4] = {'x', 'x', 'x', 'x'};
    const int found = ChangeDan(c.syllable, output);
    EXPECT_EQ(found, c.character.empty() ? 0 : 1) << c.syllable;
    EXPECT_EQ(found ? utf8(output) : std::string(), c.character) << c.syllable;
    if (!found) {
      EXPECT_EQ(output[0], 'x');
    }
  }
}

TEST(MergeTest, PromptJionKeepsFirstAndAddsNewOnes) {
  struct Case {
    std::string first, second, merged;
  } cases[] = {
      {"", "甲乙", "甲乙"},
      {"甲乙", "", "甲乙"},
      {"甲乙", "乙丙丁甲", "甲乙丙丁"},
      {"甲", "丙丙", "甲丙丙"},  // repeats inside the second text stay
  };
  for (const auto& c : cases) {
    char output[kRepeatHzOutput];
    const int count = PromptJion(gbk(c.first).c_str(), gbk(c.second).c_str(), output);
    EXPECT_EQ(utf8(output), c.merged);
    EXPECT_EQ(count, static_cast<int>(gbk(c.merged).size() / 2));
  }
}

TEST(MergeTest, PromptJionStaysInsideItsOutput) {
  std::string first;
  std::string second;
  for (int i = 0; i < 200; ++i) {
    first += std::string{static_cast<char>(0xB0 + i / 94), static_cast<char>(0xA1 + i % 94)};
    second += std::string{static_cast<char>(0xC0 + i / 94), static_cast<char>(0xA1 + i % 94)};
  }
  auto output = std::make_unique<char[]>(kRepeatHzOutput);
  EXPECT_EQ(PromptJion(first.c_str(), second.c_str(), output.get()), (kRepeatHzOutput - 1) / 2);
  EXPECT_EQ(std::string(output.get()).substr(0, first.size()), first);
}

TEST(MergeTest, DbchInDbchsLooksAtWholeCharactersOnly) {
  const std::string list = gbk("啊按");  // B0A1 B0B4: "A1 B0" straddles the two
  EXPECT_EQ(DbchInDbchs(gbk("按").c_str(), list.c_str()), 1);
  EXPECT_EQ(DbchInDbchs("\xA1\xB0", list.c_str()), 0);
  EXPECT_EQ(DbchInDbchs(gbk("中").c_str(), list.c_str()), 0);
  EXPECT_EQ(DbchInDbchs(gbk("中").c_str(), ""), 0);
}

}  // namespace
