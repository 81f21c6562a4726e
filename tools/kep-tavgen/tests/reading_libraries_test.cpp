#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/hanzi_keyed_writer.h"
#include "tools/kep-tavgen/reading_libraries_writer.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

std::size_t little_endian(const std::string& bytes, std::size_t at, int width) {
  std::size_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// The plain records of the first character's group, as a reader of `entry_bytes` entries sees them.
std::vector<std::string> group_of(const ReadingLibrary& library, std::size_t entry_bytes, int n, GbkChar first) {
  const std::size_t width = sentence::reading_record_width(n);
  const std::size_t at = hanzi_key_number(first) * entry_bytes;
  const std::size_t start = little_endian(library.index, at, 4);
  const std::size_t count = little_endian(library.index, at + 4, static_cast<int>(entry_bytes) - 4);
  std::vector<std::string> out;
  for (std::size_t r = start; r < start + count; ++r) {
    std::string record = library.records.substr(r * width, width);
    sentence::decodeline(record.data());
    out.push_back(record);
  }
  return out;
}

std::string record_of(const char* word, const char* codes) { return gbk_bytes(gbs(word)).substr(2) + codes; }

TEST(ReadingLibrariesTest, SyllablesBecomeFirstLetterAndRestCode) {
  const std::pair<const char*, const char*> cases[] = {
      {"zhong", "zt"}, {"chang", "cm"}, {"a", "a<"}, {"e", "e."}, {"o", "o>"}, {"lve", "l?"}, {"er", "e`"}, {"xing", "x2"}};
  for (const auto& [syllable, code] : cases) EXPECT_EQ(syllable_code(syllable), std::optional<std::string>(code)) << syllable;
  for (const char* bad : {"", "zhongg", "xyz", "Zhong", "zh1ng"}) EXPECT_EQ(syllable_code(bad), std::nullopt) << bad;
}

TEST(ReadingLibrariesTest, WordsAreFoundUnderTheirFirstCharacterWithTheHeaviestReading) {
  const std::vector<datasources::RimeEntry> vocabulary = {
      {"长城", {"zhang", "cheng"}, 3},
      {"长城", {"chang", "cheng"}, 90},
      {"中心", {"zhong", "xin"}, 5},
      {"中国", {"zhong", "guo"}, 9},
      {"人民", {"ren", "min"}, 9},
      {"人民银行", {"ren", "min", "yin", "hang"}, 9},
      {"人们", {"ren", "mxn"}, 9},        // no code for the rest: left out
      {"中国人", {"zhong", "guo"}, 9},    // not one syllable per character
      {"ＡＢ", {"a", "b"}, 9},            // not GB2312
  };
  Gb2312Cache gb2312;
  const ReadingLibraries libraries = build_reading_libraries(vocabulary, gb2312);
  EXPECT_EQ(libraries.words, 6u);
  EXPECT_EQ(libraries.without_code, 1u);
  ASSERT_EQ(libraries.all[2].index.size(), kGb2312HanziCount * sentence::kDycIndexEntryBytes);
  ASSERT_EQ(libraries.polyphones[2].index.size(), kGb2312HanziCount * sentence::kDyzIndexEntryBytes);
  EXPECT_EQ(libraries.all[2].records.size(), 4 * sentence::reading_record_width(2));

  using Group = std::vector<std::string>;
  EXPECT_EQ(group_of(libraries.all[2], 6, 2, gb("长")), Group{record_of("长城", "cmcr")});
  EXPECT_EQ(group_of(libraries.polyphones[2], 8, 2, gb("长")), Group{record_of("长城", "cmcr")});
  // Sorted by plain bytes: 国 (B9FA) before 心 (D0C4).
  EXPECT_EQ(group_of(libraries.all[2], 6, 2, gb("中")), (Group{record_of("中国", "ztg*"), record_of("中心", "ztx1")}));
  // 人民 holds no polyphone; 人民银行 holds 行.
  EXPECT_EQ(group_of(libraries.all[2], 6, 2, gb("人")), Group{record_of("人民", "rhm1")});
  EXPECT_TRUE(group_of(libraries.polyphones[2], 8, 2, gb("人")).empty());
  EXPECT_EQ(group_of(libraries.polyphones[4], 8, 4, gb("人")), Group{record_of("人民银行", "rhm1y1hd")});
  EXPECT_TRUE(group_of(libraries.all[3], 6, 3, gb("中")).empty());
}

TEST(ReadingLibrariesTest, AGroupOverSixteenBitCountsKeepsItsHeaviestWords) {
  std::vector<std::string> utf8(kGb2312HanziCount + 1);
  for (int sequence = 1; sequence <= kGb2312HanziCount; ++sequence) {
    utf8[sequence] = platform::text::to_utf8(gbk_bytes({gb2312_by_sequence(sequence)}), platform::text::Encoding::Gbk)
                         .value_or("");
  }
  // 65537 words of 啊 and two more characters, each one heavier than the one before.
  std::vector<datasources::RimeEntry> vocabulary;
  for (std::uint32_t i = 0; i < 65537; ++i) {
    vocabulary.push_back({utf8[1] + utf8[1 + i / 6763] + utf8[1 + i % 6763], {"a", "a", "a"}, i});
  }
  Gb2312Cache gb2312;
  const ReadingLibraries libraries = build_reading_libraries(vocabulary, gb2312);
  EXPECT_EQ(libraries.all[3].kept, 65535u);
  EXPECT_EQ(libraries.all[3].trimmed, 2u);
  const std::vector<std::string> group = group_of(libraries.all[3], 6, 3, gb("啊"));
  ASSERT_EQ(group.size(), 65535u);
  // The two lightest (weights 0 and 1) are left out: the group starts at the third word.
  EXPECT_EQ(group.front(), gbk_bytes({gb2312_by_sequence(1), gb2312_by_sequence(3)}) + "a<a<a<");
  EXPECT_EQ(group.back(), gbk_bytes({gb2312_by_sequence(10), gb2312_by_sequence(4670)}) + "a<a<a<");
}

}  // namespace
}  // namespace tavgen
