#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_list.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/dan_rows.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;

std::vector<std::string> decoded_lines(const std::string& file) {
  std::vector<std::string> lines;
  std::istringstream in(file);
  for (std::string line; std::getline(in, line);) {
    sentence::decodeline(line.data());
    lines.push_back(line);
  }
  return lines;
}

int row_of(std::string_view text) {
  for (int n = 0; n < sentence::kSyllableTextCount; ++n) {
    if (text == sentence::kSyllableTexts[n]) return n;
  }
  ADD_FAILURE() << "no row " << text;
  return 0;
}

TEST(PydanTest, LinesFollowTheSyllableNumbersWithTheSpareRowLast) {
  CharacterWeights weights;
  weights.add("zu", gb("组"), 10);
  weights.add("ai", gb("爱"), 10);
  const std::string file = write_pydan(build_dan_rows(weights));
  ASSERT_EQ(file.back(), '\n');
  const std::vector<std::string> lines = decoded_lines(file);
  ASSERT_EQ(lines.size(), 434u);
  for (int n = 0; n < sentence::kSyllableTextCount; ++n) {
    EXPECT_TRUE(lines[n].starts_with(sentence::kSyllableTexts[n])) << n << ": " << lines[n];
  }
  EXPECT_EQ(lines[1], "ai" + gbk_bytes({gb("爱")}));
  EXPECT_EQ(lines[432], "zu" + gbk_bytes({gb("组")}));
  EXPECT_EQ(lines[433], "zz");
  EXPECT_EQ(file.find('\r'), std::string::npos);
}

TEST(PydanTest, RowsAreOrderedByWeightAndFilledFromTheirSourceSpelling) {
  CharacterWeights weights;
  weights.add("shi", gb("十"), 50);
  weights.add("shi", gb("是"), 900);
  weights.add("shi", gb("时"), 300);
  weights.add("shi", gb("时"), 100);  // a second reading keeps the larger weight
  weights.add("lve", gb("略"), 20);
  weights.add("nve", gb("虐"), 20);
  weights.add("lv", gb("绿"), 20);
  weights.add("a", gb("啊"), 20);
  weights.add("o", gb("哦"), 20);
  const DanRows rows = build_dan_rows(weights);
  EXPECT_EQ(rows.characters[row_of("shi")], (std::vector<GbkChar>{gb("是"), gb("时"), gb("十")}));
  EXPECT_EQ(rows.characters[row_of("lve")], std::vector<GbkChar>{gb("略")});
  EXPECT_EQ(rows.characters[row_of("lue")], std::vector<GbkChar>{gb("略")});
  EXPECT_EQ(rows.characters[row_of("nve")], std::vector<GbkChar>{gb("虐")});
  EXPECT_EQ(rows.characters[row_of("lv")], std::vector<GbkChar>{gb("绿")});
  EXPECT_EQ(rows.characters[row_of("aP")], std::vector<GbkChar>{gb("啊")});
  EXPECT_EQ(rows.characters[row_of("oR")], std::vector<GbkChar>{gb("哦")});
  for (const char* marked : {"iA", "uC", "vO", "www", "eQ"}) {
    EXPECT_TRUE(rows.characters[row_of(marked)].empty()) << marked;
  }
  const std::vector<std::string> lines = decoded_lines(write_pydan(rows));
  EXPECT_EQ(lines[row_of("iA")], "iA");
  EXPECT_EQ(lines[row_of("aP")], "aP" + gbk_bytes({gb("啊")}));
}

TEST(PydanTest, EqualWeightsKeepGb2312Order) {
  CharacterWeights weights;
  weights.add("ba", gb2312_by_sequence(4000), 0);
  weights.add("ba", gb2312_by_sequence(7), 0);
  weights.add("ba", gb2312_by_sequence(20), 5);
  EXPECT_EQ(weights.ordered("ba"),
            (std::vector<GbkChar>{gb2312_by_sequence(20), gb2312_by_sequence(7), gb2312_by_sequence(4000)}));
}

TEST(PydanTest, ALongRowIsCutSoNoLineExceedsTheReadersLimit) {
  CharacterWeights weights;
  for (int i = 1; i <= 200; ++i) weights.add("zhuang", gb2312_by_sequence(i), 1000 - i);
  const DanRows rows = build_dan_rows(weights);
  const std::vector<GbkChar>& row = rows.characters[row_of("zhuang")];
  ASSERT_EQ(row.size(), static_cast<std::size_t>(sentence::kDanRowMax));
  EXPECT_EQ(row.front(), gb2312_by_sequence(1));
  EXPECT_EQ(row.back(), gb2312_by_sequence(122));

  // Even a row handed over uncut is written within both limits.
  DanRows uncut = rows;
  for (int i = 1; i <= 200; ++i) uncut.characters[row_of("zhuang")].push_back(gb2312_by_sequence(300 + i));
  std::istringstream in(write_pydan(uncut));
  std::size_t longest = 0;
  for (std::string line; std::getline(in, line);) longest = std::max(longest, line.size());
  EXPECT_EQ(longest, std::strlen("zhuang") + 2u * sentence::kDanRowMax);
  EXPECT_LE(longest + 1, static_cast<std::size_t>(sentence::kDanLineMax));
}

TEST(PydanTest, LinesAreStoredScrambledAndDecodeBack) {
  CharacterWeights weights;
  weights.add("zhong", gb("中"), 10);
  const std::string file = write_pydan(build_dan_rows(weights));
  const std::string stored = file.substr(0, file.find('\n'));
  ASSERT_EQ(stored.size(), std::strlen("aP"));
  EXPECT_NE(stored, "aP");  // the syllable text is not stored in the clear
  std::string line = stored;
  sentence::decodeline(line.data());
  EXPECT_EQ(line, "aP");

  std::istringstream in(file);
  std::string zhong;
  for (int n = 0; n <= row_of("zhong"); ++n) std::getline(in, zhong);
  const std::string characters = gbk_bytes({gb("中")});
  ASSERT_TRUE(zhong.ends_with(characters));  // GBK bytes pass the substitution unchanged
  EXPECT_NE(zhong.substr(0, 5), "zhong");
  sentence::decodeline(zhong.data());
  EXPECT_EQ(zhong, "zhong" + characters);
}

TEST(PydanTest, SourceSpellingOfRows) {
  const struct {
    const char* row;
    const char* plain;
    const char* source;
  } cases[] = {
      {"aP", "a", "a"}, {"eQ", "e", "e"},    {"oR", "o", "o"},   {"iA", "", ""},       {"vJ", "", ""},
      {"lue", "lue", "lve"}, {"nue", "nue", "nve"}, {"lve", "lve", "lve"}, {"lv", "lv", "lv"}, {"ai", "ai", "ai"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(plain_syllable(c.row), c.plain) << c.row;
    EXPECT_EQ(source_syllable(c.row), c.source) << c.row;
  }
}

}  // namespace
}  // namespace tavgen
