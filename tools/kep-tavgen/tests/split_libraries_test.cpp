#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/text.h"
#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/split_libraries_builder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

std::unordered_set<std::string> word_set(std::initializer_list<const char*> words) {
  std::unordered_set<std::string> out;
  for (const char* word : words) out.insert(gbk_bytes(gbs(word)));
  return out;
}

TEST(SplitLibrariesTest, CutsPreferWordsThenFewPiecesThenLongPiecesFromTheLeft) {
  const std::unordered_set<std::string> words =
      word_set({"中国", "中国人", "人民", "银行", "中华", "人民共和", "大会堂", "会堂", "我们"});
  const struct {
    const char* run;
    int code;
  } cases[] = {
      {"中国人民", 2},          // 中国|人民 beats 中国人|民: no single character
      {"中国银行", 2},
      {"中国人民银行", 24},
      {"中华人民共和国", 0},    // seven characters are no run
      {"中华人民共和", 2},      // 中华|人民共和: two pieces beat three
      {"人民大会堂", 2},        // 人民|大会堂 before 人民|大|会堂
      {"中国我们人", 24},       // a single character only where no word fits
      {"我们天地人", 234},
      {"国人民", 1},            // 国|人民
      {"银行人", 2},            // 银行|人
      {"天地人", 0},            // no word at all
      {"大会堂人", 3},          // 大会堂|人 before 大|会堂|人
  };
  for (const auto& c : cases) EXPECT_EQ(split_code(gbs(c.run), words), c.code) << c.run;
  // Equal in singles and pieces: the longer piece first.
  EXPECT_EQ(split_code(gbs("中国人民"), word_set({"中国人", "国人民"})), 3);
}

// The cz libraries of a few words, read back as the set the runs are cut by.
TEST(SplitLibrariesTest, KeptCzWordsAreReadBackFromTheWrittenLibraries) {
  CzLibraries cz;
  std::string error;
  ASSERT_TRUE(build_cz_libraries(cz_words_of({"中国", "人民", "中国人", "人民银行", "大", "中华人民共和国"}, 1), {}, {}, {},
                                 &cz, &error))
      << error;
  EXPECT_EQ(kept_cz_words(cz), word_set({"中国", "人民", "中国人", "人民银行"}));
}

struct Record {
  std::string characters;  // the run without its first character, plain
  int code;
};

std::vector<Record> group_of(const HanziKeyedFiles& files, int n, GbkChar first) {
  const std::size_t width = sentence::split_record_width(n);
  const int k = hanzi_key_number(first);
  const auto byte = [](const std::string& s, std::size_t i) { return static_cast<int>(static_cast<unsigned char>(s.at(i))); };
  const std::size_t start = byte(files.index, 4 * k) | (byte(files.index, 4 * k + 1) << 8);
  const std::size_t count = byte(files.index, 4 * k + 2) | (byte(files.index, 4 * k + 3) << 8);
  std::vector<Record> out;
  for (std::size_t r = start; r < start + count; ++r) {
    std::string record = files.records.substr(r * width, width);
    const int code = byte(record, width - 2) | (byte(record, width - 1) << 8);
    record.resize(width - 2);
    sentence::undo_chr_substitution(reinterpret_cast<unsigned char*>(record.data()), record.size(), false);
    out.push_back({record, code});
  }
  return out;
}

TEST(SplitLibrariesTest, RunsOutsideCzAreStoredWithTheirPlainCode) {
  const std::unordered_set<std::string> cz = word_set({"中国", "人民", "银行", "中国人", "国人", "我们"});
  const std::vector<datasources::RimeEntry> vocabulary = {
      {"中国人民", {}, 8},
      {"中国人民", {}, 9},       // twice: one record
      {"中国人", {}, 9},         // a cz word: no run
      {"中国人民银行", {}, 7},
      {"人民银行", {}, 3},
      {"中国国人", {}, 3},
      {"天地人", {}, 3},         // no cut
      {"我们天地人", {}, 3},     // code 234 is the byte 0xEA: it must not pass through the substitution
      {"中国", {}, 3},           // too short
  };
  SplitLibraries libraries;
  std::string error;
  Gb2312Cache gb2312;
  ASSERT_TRUE(build_split_libraries(vocabulary, gb2312, cz, &libraries, &error)) << error;
  EXPECT_EQ(libraries.uncut, 1u);
  ASSERT_EQ(libraries.runs[4].index.size(), 4u * kHanziKeyedEntries);
  ASSERT_EQ(libraries.runs[4].records.size(), 3 * sentence::split_record_width(4));

  const std::vector<Record> four = group_of(libraries.runs[4], 4, gb("中"));
  ASSERT_EQ(four.size(), 2u);
  // Sorted by plain bytes: 国国人 (B9FA B9FA) before 国人民 (B9FA C8CB).
  EXPECT_EQ(four[0].characters, gbk_bytes(gbs("国国人")));
  EXPECT_EQ(four[0].code, 2);
  EXPECT_EQ(four[1].characters, gbk_bytes(gbs("国人民")));
  EXPECT_EQ(four[1].code, 2);
  ASSERT_EQ(group_of(libraries.runs[4], 4, gb("人")).size(), 1u);
  EXPECT_EQ(group_of(libraries.runs[4], 4, gb("人"))[0].code, 2);
  const std::vector<Record> six = group_of(libraries.runs[6], 6, gb("中"));
  ASSERT_EQ(six.size(), 1u);
  EXPECT_EQ(six[0].code, 24);
  const std::vector<Record> five = group_of(libraries.runs[5], 5, gb("我"));
  ASSERT_EQ(five.size(), 1u);
  EXPECT_EQ(five[0].characters, gbk_bytes(gbs("们天地人")));
  EXPECT_EQ(five[0].code, 234);
  EXPECT_TRUE(libraries.runs[3].records.empty());
}

TEST(SplitLibrariesTest, RunsBeginningBeyondTheFirstLevelHaveNoGroup) {
  const GbkChar second_level = gb2312_by_sequence(3756);
  const std::string run = platform::text::to_utf8(gbk_bytes({second_level}), platform::text::Encoding::Gbk).value() + "中国";
  SplitLibraries libraries;
  std::string error;
  Gb2312Cache gb2312;
  ASSERT_TRUE(build_split_libraries({{run, {}, 1}}, gb2312, word_set({"中国"}), &libraries, &error)) << error;
  EXPECT_EQ(libraries.beyond_first_level, 1u);
  EXPECT_TRUE(libraries.runs[3].records.empty());
}

}  // namespace
}  // namespace tavgen
