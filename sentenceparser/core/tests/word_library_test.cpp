#include "sentenceparser/core/word_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::utf8;
using sentence_test::word_key;

TEST(StoredBytes, EscapesReadBack) {
  const struct {
    int stored, value;
  } cases[] = {{127, 0}, {126, 10}, {125, 13}, {124, 26}, {123, 32}, {122, 9}, {121, 121}, {50, 50}, {1, 1}};
  for (const auto& c : cases) {
    int value = c.stored;
    tranpos(&value);
    EXPECT_EQ(value, c.value) << c.stored;
  }
}

TEST(RecordWidths, PerLibrary) {
  const struct {
    int n, main, whole, head_end;
  } cases[] = {{1, 0, 0, 0}, {2, 7, 5, 11}, {3, 9, 6, 12}, {4, 11, 9, 15},
               {5, 14, 12, 18}, {6, 17, 15, 21}, {7, 20, 18, 0}, {8, 0, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(gethlen(c.n), c.main) << c.n;
    EXPECT_EQ(getwlen(c.n), c.whole) << c.n;
    EXPECT_EQ(getj10len(c.n), c.head_end) << c.n;
  }
}

class IndexEntryTest : public sentence_test::CoreTest {
 protected:
  SpFile* open(const std::string& bytes) {
    const std::string path = write("index.inx", bytes);
    return _fopen(path.c_str(), kOpenRead);
  }
};

TEST_F(IndexEntryTest, SixByteEntriesLittleEndian) {
  SpFile* file = open(sentence_test::index_bytes({{0, {7, 1}}, {2, {0x01020304, 0x0506}}}));
  ASSERT_NE(file, nullptr);
  int count = -1;
  EXPECT_EQ(Get42Pos(2, &count, file), 0x01020304);
  EXPECT_EQ(count, 0x0506);
  EXPECT_EQ(Get42Pos(0, &count, file), 7);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Get42Pos(1, &count, file), 0);
  EXPECT_EQ(count, 0);
  for (std::int64_t outside : {3LL, -1LL, 1LL << 40}) {
    count = -1;
    EXPECT_EQ(Get42Pos(outside, &count, file), -1) << outside;
    EXPECT_EQ(count, 0) << outside;
  }
}

TEST_F(IndexEntryTest, EightAndFourByteEntries) {
  SpFile* file = open(std::string("\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\x04\x00\x00\x00", 16));
  ASSERT_NE(file, nullptr);
  std::int64_t wide = -1;
  EXPECT_EQ(Get44Pos(1, &wide, file), 3);
  EXPECT_EQ(wide, 4);
  EXPECT_EQ(Get44Pos(2, &wide, file), -1);
  EXPECT_EQ(wide, 0);
  int narrow = -1;
  EXPECT_EQ(Get22Pos(1, &narrow, file), 2);  // bytes 4..7: 2, 0
  EXPECT_EQ(narrow, 0);
  EXPECT_EQ(Get22Pos(2, &narrow, file), 3);
  EXPECT_EQ(Get22Pos(4, &narrow, file), -1);
}

class DecodeTest : public sentence_test::CoreTest {
 protected:
  void SetUp() override { load_table({{"zhong", "中种重"}, {"guo", "国过果"}, {"ren", "人任"}}); }
};

TEST_F(DecodeTest, TwoSyllableKeyTakesCodesFromItsLastBytes) {
  const std::string key = word_key({"zhong", "guo"});
  ASSERT_EQ(key.size(), 6u);
  char text[kWordTextSize] = {};
  text[0] = sentence_test::stored(0);
  text[1] = sentence_test::stored(2);
  EXPECT_EQ(decodehz(key.c_str(), 2, text), 1);
  EXPECT_EQ(utf8(text), "中果");
}

TEST_F(DecodeTest, PositionsAndEscapes) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  const struct {
    std::string positions;
    int result;
    std::string word;
  } cases[] = {
      {"\x7F\x02\x01", 1, "中果任"},  // 127 stands for position 0
      {"\x02\x01\x7F", 1, "重过人"},
      {"\x01\x03\x01", 0, ""},  // guo has three characters
      {"\x01\x01\x02", 0, ""},  // ren has two
      {"\x7A\x01\x01", 0, ""},  // 122 stands for 9
  };
  for (const auto& c : cases) {
    char text[kWordTextSize] = {};
    std::memcpy(text, c.positions.data(), 3);
    EXPECT_EQ(decodehz(key.c_str(), 3, text), c.result) << c.word;
    EXPECT_EQ(utf8(text), c.word);
  }
}

TEST_F(DecodeTest, SyllableWithoutNumberOrRow) {
  char text[kWordTextSize] = "\x01\x01";
  EXPECT_EQ(decodehz("zQ", 1, text), 0);  // no syllable "zQ"
  EXPECT_STREQ(text, "");
  const std::string key = word_key({"zhong", "ma"});  // "ma" has no characters here
  std::strcpy(text, "\x01\x01");
  EXPECT_EQ(decodehz(key.c_str(), 2, text), 0);
  std::strcpy(text, "\x01\x01");
  std::string upper = word_key({"zhong", "guo"});
  upper[0] = 'Z';
  EXPECT_EQ(decodehz(upper.c_str(), 2, text), 0);
}

TEST(Pieces, SplitMarksAndOneSyllablePieces) {
  const struct {
    unsigned char flags;
    int n, splits, singles;
  } cases[] = {
      {0x00, 4, 0, 0},
      {0x10, 4, 1, 0},  // 2 + 2
      {0x20, 4, 1, 1},  // 1 + 3
      {0x08, 4, 1, 1},  // 3 + 1
      {0x04, 4, 1, 0},  // a mark after the last syllable
      {0x30, 4, 2, 2},  // 1 + 1 + 2
      {0x38, 4, 3, 4},  // 1 + 1 + 1 + 1
      {0x20, 2, 1, 2},
      {0x41, 3, 1, 0},  // a mark past the word counts only as a split
  };
  for (const auto& c : cases) {
    int splits = -1, singles = -1;
    fendannum(c.flags, c.n, &splits, &singles);
    EXPECT_EQ(splits, c.splits) << int(c.flags) << " " << c.n;
    EXPECT_EQ(singles, c.singles) << int(c.flags) << " " << c.n;
  }
}

TEST(WordWeight, FullPinyinAdjustment) {
  // Expected values follow the rule step by step, each product truncated.
  const struct {
    int weight, n;
    unsigned char flags;
    bool digit;
    int expected;
  } cases[] = {
      {50, 2, 0x00, false, 50 * 142 / 100 * 156 / 100 * 65 / 100},
      {100, 2, 0x00, false, 100 * 142 / 100 * 156 / 100 * 120 / 100 * 65 / 100},
      {97, 2, 0x00, false, 97 * 142 / 100 * 156 / 100 * 65 / 100},
      {50, 3, 0x40, false, 50 * 156 / 100 * 142 / 100 * 275 / 100},
      {40, 3, 0x30, true, 40 * 275 / 100 * 100 / 145},
      {40, 2, 0x20, true, 40 * 65 / 100 * 100 / 165},
      {30, 7, 0x00, false, 30 * 142 / 100 * 156 / 100 * 1080 / 100},
      {30, 6, 0x20, true, 30 * 950 / 100 * 100 / 114},
  };
  const std::string digit_word = "iA" + gbk("人人人人人");
  for (const auto& c : cases) {
    std::string text = c.digit ? digit_word.substr(0, 2 * c.n) : gbk("人人人人人人人").substr(0, 2 * c.n);
    int weight = c.weight;
    tonebkpl(text.data(), c.n, c.flags, &weight, 1);
    EXPECT_EQ(weight, c.expected) << c.weight << " " << c.n << " " << int(c.flags);
    EXPECT_FALSE(text.empty());
  }
}

TEST(WordWeight, RefusedOnlyWithoutKeepWhenNotPreferredAndSplitIntoSingles) {
  const struct {
    unsigned char flags;
    int keep;
    bool refused;
  } cases[] = {{0x20, 0, true}, {0x20, 1, false}, {0x60, 0, false}, {0x10, 0, false}, {0x08, 0, true}, {0x00, 0, false}};
  for (const auto& c : cases) {
    char text[kWordTextSize] = {};
    std::strcpy(text, gbk("中国人民").c_str());
    int weight = 40;
    tonebkpl(text, 4, c.flags, &weight, c.keep);
    EXPECT_EQ(text[0] == '\0', c.refused) << int(c.flags) << " " << c.keep;
  }
}

TEST(WordWeight, AbbreviationAdjustment) {
  const std::string word = gbk("中国");
  const std::string digit = "iA" + gbk("国");
  const struct {
    int n;
    unsigned char flags;
    int parts;
    const std::string* text;
    int expected;
  } cases[] = {
      {2, 0x00, 0, &word, 40 * 158 / 100},
      {2, 0x40, 1, &word, 40 * 150 / 100},
      {2, 0x00, 1, &word, 40},
      {2, 0x00, 0, &digit, 40 * 100 / 163 * 158 / 100},
      {3, 0x00, 1, &digit, 40 * 100 / 145},
      {5, 0x00, 1, &digit, 40 * 100 / 115},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tonejppl(c.n, c.flags, c.parts, c.text->c_str(), 40), c.expected)
        << c.n << " " << int(c.flags) << " " << c.parts;
  }
}

TEST(Agreement, FixedChineseCharactersMustMatch) {
  const struct {
    std::string fixed, candidate;
    int agrees;
  } cases[] = {
      {"AA" + gbk("国"), gbk("中国"), 1},
      {gbk("中") + "AA", gbk("中国"), 1},
      {gbk("钟") + "AA", gbk("中国"), 0},
      {"AA" + gbk("果"), gbk("中国"), 0},
      {"iAAA", gbk("一国"), 1},
      {"AA", gbk("中国"), 1},  // lengths differ
      {gbk("，") + "AA", gbk("中国"), 1},  // not a Chinese character: anything goes
  };
  for (const auto& c : cases) EXPECT_EQ(accordhz(c.fixed.c_str(), c.candidate.c_str()), c.agrees) << utf8(c.fixed);
}

TEST(NumberWords, FourToMaxWordNumSyllablesOfDigits) {
  MaxWordNum = 7;
  const struct {
    std::vector<std::string> syllables;
    int result;
    std::string word;
  } cases[] = {
      {{"yi", "er", "san", "si"}, 1, "一二三四"},
      {{"ling", "wu", "liu", "qi", "ba", "jiu", "shi"}, 1, "零五六七八九十"},
      {{"yi", "er", "san"}, 0, ""},
      {{"yi", "er", "san", "ma"}, 0, ""},
  };
  for (const auto& c : cases) {
    const std::string key = word_key(c.syllables);
    const int n = static_cast<int>(c.syllables.size());
    char text[kWordTextSize] = {};
    int weight = -1;
    unsigned char flags = 0;
    ASSERT_EQ(is_numci(key.c_str(), n, text, &weight, &flags), c.result) << c.word;
    if (c.result == 0) continue;
    EXPECT_EQ(utf8(text), c.word);
    EXPECT_EQ(weight, n * 10 + 40);
    EXPECT_EQ(flags, 0x80);
  }
  MaxWordNum = 4;
  const std::string five = word_key({"yi", "er", "san", "si", "wu"});
  char text[kWordTextSize] = {};
  int weight = 0;
  unsigned char flags = 0;
  EXPECT_EQ(is_numci(five.c_str(), 5, text, &weight, &flags), 0);
  MaxWordNum = 7;
}

class BucketTest : public sentence_test::LibraryTest {};

TEST_F(BucketTest, EntriesAndCountsCheckedAgainstTheirFiles) {
  const std::string records(5 * 4, 'x');  // five 4-byte records
  write("lib/d.dat", records);
  write("lib/i.inx", sentence_test::index_bytes({{0, {0, 5}}, {1, {3, 2}}, {2, {3, 3}}, {3, {0xFFFFFFFF, 0xFFFF}}, {4, {0, 0}}}));
  Bucket bucket;
  EXPECT_TRUE(open_bucket("lib/i.inx", "lib/d.dat", 0, 4, &bucket));
  EXPECT_EQ(bucket.count, 5);
  EXPECT_TRUE(open_bucket("lib/i.inx", "lib/d.dat", 1, 4, &bucket));
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/d.dat", 2, 4, &bucket));  // first + count past the data
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/d.dat", 3, 4, &bucket));
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/d.dat", 4, 4, &bucket));  // empty
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/d.dat", 5, 4, &bucket));  // past the index
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/none.dat", 0, 4, &bucket));
  EXPECT_FALSE(open_bucket("lib/none.inx", "lib/d.dat", 0, 4, &bucket));
}

TEST_F(BucketTest, EmptyEntryNeverOpensTheDataFile) {
  write("lib/d.dat", std::string(8, 'x'));
  write("lib/i.inx", sentence_test::index_bytes({{0, {0, 0}}, {1, {0, 2}}}));
  const std::string data_path = (dir_.path() / "lib/d.dat").string();
  auto data_pooled = [&] {
    for (QAMMap* slot : _cached_pool) {
      if (slot != nullptr && data_path == slot->path) return true;
    }
    return false;
  };
  Bucket bucket;
  EXPECT_FALSE(open_bucket("lib/i.inx", "lib/d.dat", 0, 4, &bucket));
  EXPECT_FALSE(data_pooled());
  EXPECT_TRUE(open_bucket("lib/i.inx", "lib/d.dat", 1, 4, &bucket));
  EXPECT_TRUE(data_pooled());
}

TEST(FourLetterBucket, LowerCaseLettersOnly) {
  const struct {
    const char* key;
    int number;
  } cases[] = {{"aaaa", 0}, {"zzzz", 456975}, {"zghu\x74\x2A", 25 * 17576 + 6 * 676 + 7 * 26 + 20},
               {"Zghu", -1}, {"zg1u", -1}, {"zgh", -1}, {"", -1}};
  for (const auto& c : cases) EXPECT_EQ(four_letter_bucket(c.key), c.number) << c.key;
}

TEST_F(BucketTest, BinarySearchOverSortedRecords) {
  write_library("lib/i.inx", "lib/d.dat", {{0, {"aa1", "ab2", "ba3", "bb4", "ca5"}}});
  Bucket bucket;
  ASSERT_TRUE(open_bucket("lib/i.inx", "lib/d.dat", 0, 3, &bucket));
  unsigned char record[kRecordMax] = {};
  const struct {
    const char* wanted;
    int found;
  } cases[] = {{"aa", 0}, {"ab", 1}, {"ba", 2}, {"bb", 3}, {"ca", 4}, {"a0", -1}, {"bc", -1}, {"zz", -1}};
  for (const auto& c : cases) {
    const int found = search_bucket(bucket, reinterpret_cast<const unsigned char*>(c.wanted), 2, record);
    EXPECT_EQ(found, c.found) << c.wanted;
    if (found >= 0) {
      EXPECT_EQ(record[2], '1' + found);
    }
  }
}

}  // namespace
