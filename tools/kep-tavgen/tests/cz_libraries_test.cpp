#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "sentenceparser/core/chr_substitution.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/cz_libraries.h"

namespace tavgen {
namespace {

using testing::gbs;

// A reader of its own: the group of the first character, then a scan of its plain records.
bool holds(const HanziKeyedFiles& files, const char* utf8, std::size_t length, char pad = 0) {
  const std::vector<GbkChar> characters = gbs(utf8);
  const int k = hanzi_key_number(characters[0]);
  if (k < 0 || files.index.size() != 4u * kHanziKeyedEntries) return false;
  const auto byte = [&](int i) { return static_cast<std::size_t>(static_cast<unsigned char>(files.index[4 * k + i])); };
  const std::size_t first = byte(0) | (byte(1) << 8);
  const std::size_t count = byte(2) | (byte(3) << 8);
  std::string wanted = gbk_bytes(std::vector<GbkChar>(characters.begin() + 1, characters.end()));
  if (pad != 0) wanted.resize(length, pad);
  for (std::size_t r = first; r < first + count; ++r) {
    if ((r + 1) * length > files.records.size()) return false;
    std::string record = files.records.substr(r * length, length);
    sentence::undo_chr_substitution(reinterpret_cast<unsigned char*>(record.data()), record.size(), true);
    if (record == wanted) return true;
  }
  return false;
}

struct CzFixture : ::testing::Test {
  void SetUp() override {
    std::vector<CzWord> words = cz_words_of({"中国", "人民", "中国人", "中国人民", "人民大会堂", "大"}, 0);
    std::vector<CzWord> weighted = cz_words_of({"人民日报"}, 7);
    words.insert(words.end(), weighted.begin(), weighted.end());
    std::string error;
    ASSERT_TRUE(build_cz_libraries(words, gbs("建小"), gbs("华明"),
                                   cz_words_of({"北京", "北京市", "乌鲁木齐市", "新疆维吾尔自治区"}, 0), &cz, &error))
        << error;
  }
  CzLibraries cz;
};

TEST_F(CzFixture, WordsGoToTheLibraryOfTheirLength) {
  EXPECT_TRUE(holds(cz.words[2], "中国", 2));
  EXPECT_TRUE(holds(cz.words[2], "人民", 2));
  EXPECT_TRUE(holds(cz.words[3], "中国人", 4));
  EXPECT_TRUE(holds(cz.words[4], "中国人民", 6));
  EXPECT_TRUE(holds(cz.words[4], "人民日报", 6));
  EXPECT_FALSE(holds(cz.words[2], "中心", 2));
  EXPECT_EQ(cz.words[2].kept, 2u);
  EXPECT_EQ(cz.words[3].kept, 1u);
  EXPECT_EQ(cz.words[4].kept, 2u);
}

TEST_F(CzFixture, PrefixLibrariesHoldProperPrefixesOfLongerWords) {
  EXPECT_TRUE(holds(cz.prefixes[2], "中国", 2));   // of 中国人 and 中国人民
  EXPECT_TRUE(holds(cz.prefixes[2], "人民", 2));   // of 人民日报
  EXPECT_TRUE(holds(cz.prefixes[3], "中国人", 4));
  EXPECT_TRUE(holds(cz.prefixes[3], "人民日", 4));
  EXPECT_FALSE(holds(cz.prefixes[3], "人民大", 4));  // only of a five-character word
  EXPECT_EQ(cz.prefixes[2].kept, 2u);
  EXPECT_EQ(cz.prefixes[3].kept, 2u);
}

TEST_F(CzFixture, GivenNamesPairEveryFirstWithEverySecondCharacter) {
  for (const char* name : {"建华", "建明", "小华", "小明"}) EXPECT_TRUE(holds(cz.given_names, name, 2)) << name;
  EXPECT_FALSE(holds(cz.given_names, "华建", 2));
  EXPECT_EQ(cz.given_names.kept, 4u);
}

TEST_F(CzFixture, PlacesArePaddedWithZerosAndLongOnesLeftOut) {
  EXPECT_TRUE(holds(cz.places, "北京", kPlaceRecordBytes, '0'));
  EXPECT_TRUE(holds(cz.places, "北京市", kPlaceRecordBytes, '0'));
  EXPECT_TRUE(holds(cz.places, "乌鲁木齐市", kPlaceRecordBytes, '0'));
  EXPECT_EQ(cz.places.kept, 3u);  // eight characters do not fit 12 bytes
  EXPECT_EQ(cz.places.records.size(), 3u * kPlaceRecordBytes);
}

TEST(CzLibrariesTest, PrefixesComeOnlyFromWordsTheLibraryKept) {
  // 65535 heavy three-character words and one light one under the first character, one word
  // under the second: that group would start beyond 16 bits, so the light word goes, and with
  // it the prefix only it had.
  const auto c = testing::gb2312_by_sequence;
  std::vector<CzWord> words;
  for (int i = 0; i < 65535; ++i) words.push_back({{c(1), c(1 + i % 6000), c(1 + i / 6000)}, 100});
  words.push_back({{c(1), c(6500), c(1)}, 1});
  words.push_back({{c(2), c(5), c(9)}, 200});
  CzLibraries cz;
  std::string error;
  ASSERT_TRUE(build_cz_libraries(words, {}, {}, {}, &cz, &error)) << error;
  EXPECT_EQ(cz.words[3].kept, 65536u);
  ASSERT_EQ(cz.words[3].dropped.size(), 1u);
  EXPECT_EQ(cz.words[3].dropped[0].first, c(1));
  EXPECT_EQ(cz.words[3].dropped[0].rest, gbk_bytes({c(6500), c(1)}));
  EXPECT_EQ(cz.prefixes[2].kept, 6001u);
  for (std::size_t r = 0; r < cz.prefixes[2].kept; ++r) {
    std::string record = cz.prefixes[2].records.substr(2 * r, 2);
    sentence::undo_chr_substitution(reinterpret_cast<unsigned char*>(record.data()), 2, true);
    EXPECT_NE(record, gbk_bytes({c(6500)}));
  }
}

TEST(CzLibrariesTest, WritesEveryLibraryUnderCz) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "kep-cz-libraries-test";
  std::filesystem::remove_all(root);
  CzLibraries cz;
  std::string error;
  ASSERT_TRUE(build_cz_libraries(cz_words_of({"中国", "中国人"}, 0), gbs("小"), gbs("明"), cz_words_of({"北京"}, 0),
                                 &cz, &error))
      << error;
  ASSERT_TRUE(write_cz_libraries(root, cz, &error)) << error;
  const std::vector<std::pair<const char*, std::uintmax_t>> files = {
      {"cz2.lib", 2}, {"cz3.lib", 4}, {"cz4.lib", 0}, {"pcz2.lib", 2}, {"pcz3.lib", 0},
      {"rm3.lib", 2}, {"dm.lib", 12}};
  for (const auto& [name, size] : files) {
    EXPECT_EQ(std::filesystem::file_size(root / "cz" / name), size) << name;
    std::string index = std::string(name).substr(0, std::string(name).size() - 4) + ".inx";
    EXPECT_EQ(std::filesystem::file_size(root / "cz" / index), 4u * kHanziKeyedEntries) << index;
  }
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tavgen
