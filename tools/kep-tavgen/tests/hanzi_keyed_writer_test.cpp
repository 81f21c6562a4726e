#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentenceparser/core/chr_substitution.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/hanzi_keyed_writer.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

struct Entry {
  std::size_t first;
  std::size_t count;
};

Entry entry_of(const std::string& index, int k) {
  const auto byte = [&](int i) { return static_cast<std::size_t>(static_cast<unsigned char>(index[4 * k + i])); };
  return {byte(0) | (byte(1) << 8), byte(2) | (byte(3) << 8)};
}

// The plain records of group k, as a reader sees them after undoing the substitution.
std::vector<std::string> group_of(const HanziKeyedFiles& files, int k, std::size_t length) {
  const Entry entry = entry_of(files.index, k);
  std::vector<std::string> out;
  for (std::size_t r = entry.first; r < entry.first + entry.count; ++r) {
    std::string record = files.records.substr(r * length, length);
    sentence::undo_chr_substitution(reinterpret_cast<unsigned char*>(record.data()), record.size(), true);
    out.push_back(record);
  }
  return out;
}

std::string rest(const char* utf8) { return gbk_bytes(gbs(utf8)); }

// Distinct 2-byte records: the big-endian bytes of `value`.
std::string two_bytes(std::size_t value) {
  return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

TEST(HanziKeyedWriterTest, NumbersFollowGb2312OrderFromZero) {
  EXPECT_EQ(hanzi_key_number(gb("啊")), 0);
  EXPECT_EQ(hanzi_key_number(0xD7F9), 3754);  // last of level 1
  EXPECT_EQ(hanzi_key_number(0xD8A1), 3755);  // first of level 2
  EXPECT_EQ(hanzi_key_number(0xF7FE), 6762);
  EXPECT_EQ(hanzi_key_number(0xD7FA), -1);
  EXPECT_EQ(hanzi_key_number(0xA1A1), -1);
}

TEST(HanziKeyedWriterTest, IndexHoldsFirstRecordAndCountPerCharacter) {
  std::vector<HanziKeyedRecord> records = {
      {gb("中"), rest("国"), 5}, {gb("人"), rest("民"), 3}, {gb("中"), rest("心"), 1}, {gb("啊"), rest("呀"), 1}};
  HanziKeyedFiles files;
  std::string error;
  ASSERT_TRUE(write_hanzi_keyed_library(records, 2, &files, &error)) << error;
  ASSERT_EQ(files.index.size(), 4u * 6763);
  ASSERT_EQ(files.records.size(), 2u * 4);
  EXPECT_EQ(files.kept, 4u);
  EXPECT_TRUE(files.dropped.empty());

  const int zhong = hanzi_key_number(gb("中"));
  const int ren = hanzi_key_number(gb("人"));
  ASSERT_LT(ren, zhong);  // 人 (r) comes before 中 (z)
  EXPECT_EQ(entry_of(files.index, 0).first, 0u);
  EXPECT_EQ(entry_of(files.index, 0).count, 1u);
  EXPECT_EQ(entry_of(files.index, ren).first, 1u);
  EXPECT_EQ(entry_of(files.index, ren).count, 1u);
  EXPECT_EQ(entry_of(files.index, zhong).first, 2u);
  EXPECT_EQ(entry_of(files.index, zhong).count, 2u);
  EXPECT_EQ(entry_of(files.index, 1).count, 0u);
  EXPECT_EQ(entry_of(files.index, 6762).count, 0u);
  EXPECT_EQ(group_of(files, ren, 2), std::vector<std::string>{rest("民")});

  // Stored under the full substitution, not as plain bytes.
  std::string plain = rest("呀");
  EXPECT_NE(files.records.substr(0, 2), plain);
  sentence::apply_chr_substitution(reinterpret_cast<unsigned char*>(plain.data()), plain.size(), true);
  EXPECT_EQ(files.records.substr(0, 2), plain);
}

TEST(HanziKeyedWriterTest, GroupsAreSortedByPlainBytesAndMergeDuplicates) {
  // Plain bytes whose stored forms sort the other way round ('0' -> 'f', '1' -> 'g' but
  // 'a' -> 'H'): a writer sorting the stored bytes would put "a" first.
  ASSERT_GT(sentence::kChrSubstitution[static_cast<unsigned char>('0')],
            sentence::kChrSubstitution[static_cast<unsigned char>('a')]);
  std::vector<HanziKeyedRecord> records = {
      {gb("北"), "a0", 1}, {gb("北"), "00", 2}, {gb("北"), "10", 3}, {gb("北"), "00", 9}};
  HanziKeyedFiles files;
  std::string error;
  ASSERT_TRUE(write_hanzi_keyed_library(records, 2, &files, &error)) << error;
  EXPECT_EQ(group_of(files, hanzi_key_number(gb("北")), 2), (std::vector<std::string>{"00", "10", "a0"}));
  EXPECT_EQ(files.kept, 3u);
}

TEST(HanziKeyedWriterTest, RefusesRecordsItCannotStore) {
  const std::vector<std::vector<HanziKeyedRecord>> cases = {
      {{0xA1A1, "ab", 1}},            // first character not a hanzi
      {{gb("中"), "abc", 1}},         // longer than a record
      {{gb("中"), "a", 1}},           // shorter than a record
  };
  for (const auto& records : cases) {
    HanziKeyedFiles files;
    std::string error;
    EXPECT_FALSE(write_hanzi_keyed_library(records, 2, &files, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(HanziKeyedWriterTest, LightestRecordsGoWhenAGroupWouldStartBeyondSixteenBits) {
  // 60000 heavy records under 啊, 10 heavy under the third character, 10000 light ones between:
  // only 5535 of those fit before the third group's start passes 65535.
  std::vector<HanziKeyedRecord> records;
  for (std::size_t i = 0; i < 60000; ++i) records.push_back({gb2312_by_sequence(1), two_bytes(i), 100000});
  for (std::size_t i = 0; i < 10; ++i) records.push_back({gb2312_by_sequence(3), two_bytes(i), 100000});
  for (std::size_t i = 0; i < 10000; ++i) records.push_back({gb2312_by_sequence(2), two_bytes(i), i + 1});
  HanziKeyedFiles files;
  std::string error;
  ASSERT_TRUE(write_hanzi_keyed_library(records, 2, &files, &error)) << error;

  EXPECT_EQ(files.kept, 65545u);
  ASSERT_EQ(files.dropped.size(), 4465u);
  for (const HanziKeyedRecord& dropped : files.dropped) {
    EXPECT_EQ(dropped.first, gb2312_by_sequence(2));
    EXPECT_LE(dropped.weight, 4465u);  // the lightest ones
  }
  EXPECT_EQ(entry_of(files.index, 1).count, 5535u);
  EXPECT_EQ(entry_of(files.index, 2).first, 65535u);
  EXPECT_EQ(entry_of(files.index, 2).count, 10u);
  EXPECT_EQ(files.records.size(), 2u * 65545);
}

TEST(HanziKeyedWriterTest, OneGroupKeepsAtMostSixteenBitsOfRecords) {
  std::vector<HanziKeyedRecord> records;
  for (std::size_t i = 0; i < 65600; ++i) {
    records.push_back({gb2312_by_sequence(6763), static_cast<char>(i >> 16) + two_bytes(i), i});
  }
  HanziKeyedFiles files;
  std::string error;
  ASSERT_TRUE(write_hanzi_keyed_library(records, 3, &files, &error)) << error;
  EXPECT_EQ(entry_of(files.index, 6762).first, 0u);
  EXPECT_EQ(entry_of(files.index, 6762).count, 65535u);
  ASSERT_EQ(files.dropped.size(), 65u);
  for (const HanziKeyedRecord& dropped : files.dropped) EXPECT_LT(dropped.weight, 65u);
}

}  // namespace
}  // namespace tavgen
