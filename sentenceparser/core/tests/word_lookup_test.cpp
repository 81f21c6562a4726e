#include "sentenceparser/core/word_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentenceparser/core/certainty.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/core_test_support.h"
#include "sentenceparser/core/tests/library_fixture.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"

namespace {

using namespace sentence;
using sentence_test::code_of;
using sentence_test::gbk;
using sentence_test::main_record;
using sentence_test::stored;
using sentence_test::stored_bytes;
using sentence_test::utf8;
using sentence_test::word_key;

class OneSyllableWordTest : public sentence_test::CoreTest {
 protected:
  void SetUp() override { load_table({{"ji", "机几"}, {"ai", "爱"}}); }
};

TEST_F(OneSyllableWordTest, CharacterWithItsCertainty) {
  struct Case {
    const char* syllable;
    std::string character;
  } cases[] = {{"ji", "及"}, {"zhi", "之"}, {"ai", "爱"}};
  for (const auto& c : cases) {
    const std::string key = code_of(c.syllable);
    char text[16] = {};
    int weight = -1;
    unsigned char flags = 0;
    EXPECT_EQ(IsMyWord(0, 0, key.c_str(), 1, text, &weight, &flags, 0), 1) << c.syllable;
    EXPECT_EQ(utf8(text), c.character);
    int certainty = -1;
    std::string probe = key;
    GetDanPl(probe.data(), &certainty);
    EXPECT_EQ(weight, certainty) << c.syllable;
    EXPECT_EQ(flags, 0x80);
  }
}

TEST_F(OneSyllableWordTest, NoGbkCharacterNoWord) {
  char text[16] = "keep";
  int weight = -1;
  unsigned char flags = 0;
  // No syllable: the letter choice hands the text back, which is no Chinese character.
  EXPECT_EQ(IsMyWord(0, 0, "5a", 1, text, &weight, &flags, 0), 0);
  EXPECT_EQ(weight, 0);
  EXPECT_EQ(flags, 0x80);
  EXPECT_STREQ(text, "keep");

  flags = 0;
  EXPECT_EQ(IsMyWord(0, 0, "j\x01", 1, text, &weight, &flags, 0), 0);
  EXPECT_EQ(flags, 0);
}

TEST_F(OneSyllableWordTest, LongerWordsAreNotFoundHere) {
  const std::string key = code_of("ji") + code_of("ai");
  char text[16] = {};
  int weight = 0;
  unsigned char flags = 0;
  for (int n : {0, 2, 7, 8}) EXPECT_EQ(IsMyWord(0, n - 1, key.c_str(), n, text, &weight, &flags, 1), 0) << n;
}

// Rows of every syllable the library tests use; a word's positions index these rows.
const sentence_test::Rows kWordRows = {
    {"zhong", "中种重"}, {"guo", "国过果"}, {"hua", "华化"},   {"ren", "人任"},
    {"min", "民敏"},     {"gong", "共公"},  {"he", "和合"},     {"jia", "家加"},
    {"yi", "一以已"},    {"er", "二而"},    {"san", "三散"},   {"si", "四死"},
    {"wu", "五无"},      {"ma", "吗马"},    {"shang", "上商"}, {"hai", "海还"},
};

// The weight a main-library record of `stored_weight` reads as (the rule, step by step).
int full_weight(int stored_weight, int n, bool whole) {
  constexpr int kLength[] = {65, 275, 375, 770, 950, 1080};
  int weight = stored_weight;
  if (whole) {
    weight = weight * 142 / 100 * 156 / 100;
    if (stored_weight > 97 && n == 2) weight = weight * 120 / 100;
  }
  return weight * kLength[n - 2] / 100;
}

struct Answer {
  int result = 0;
  std::string word;  // UTF-8
  int weight = -1;
  unsigned char flags = 0;
};

class MainLibraryTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_words_table(kWordRows);
  }
  // The main library of n syllables with one bucket per key.
  void write_main(int n, const sentence_test::Buckets& buckets) {
    write_library(main_library_name(n, ".inx"), main_library_name(n, ".dat"), buckets);
  }
  static std::int64_t bucket_of(const std::string& key) {
    return key.size() == 6 ? GetPy3No(key.c_str()) : GetPy4No(key.c_str());
  }
  Answer look_up(const std::string& key, int n, const std::string& fixed = "") {
    Answer answer;
    char text[kWordTextSize] = {};
    std::string pattern = fixed;
    if (pattern.empty()) {
      for (int i = 0; i < n; ++i) pattern += "AA";
    }
    std::snprintf(text, sizeof text, "%s", pattern.c_str());
    answer.result = IsMyWord(0, n - 1, key.c_str(), n, text, &answer.weight, &answer.flags, 0);
    answer.word = answer.result == 1 ? utf8(text) : std::string();
    return answer;
  }
};

TEST_F(MainLibraryTest, TwoSyllableWordInItsSixByteKeyBucket) {
  const std::string key = word_key({"zhong", "guo"});
  const std::string other = word_key({"shang", "hai"});
  write_main(2, {{GetPy4No(key.c_str()), {main_record(key, {0, 0}, 60, 0x00)}},
                 {GetPy4No(other.c_str()), {main_record(other, {0, 0}, 100, 0x40)}}});
  Answer answer = look_up(key, 2);
  EXPECT_EQ(answer.result, 1);
  EXPECT_EQ(answer.word, "中国");
  EXPECT_EQ(answer.weight, full_weight(60, 2, true));
  EXPECT_EQ(answer.flags, 0x00);
  answer = look_up(other, 2);
  EXPECT_EQ(answer.word, "上海");
  EXPECT_EQ(answer.weight, 100 * 156 / 100 * 142 / 100 * 120 / 100 * 65 / 100);
  EXPECT_EQ(answer.flags, 0x40);
  // Same initials, other second letters: another bucket.
  EXPECT_EQ(look_up(word_key({"zhong", "gong"}), 2).result, 0);
}

TEST_F(MainLibraryTest, FiveSyllableKeysSortByTheirFifthInitialFirst) {
  // By codes alone the order would be gong, jia, he.
  const std::vector<std::vector<std::string>> words = {{"zhong", "hua", "ren", "min", "gong"},
                                                       {"zhong", "hua", "ren", "min", "he"},
                                                       {"zhong", "hua", "ren", "min", "jia"}};
  std::vector<std::string> records;
  for (const auto& word : words) records.push_back(main_record(word_key(word), {0, 0, 0, 0, 1}, 50, 0));
  write_main(5, {{GetPy4No(word_key(words[0]).c_str()), records}});
  const char* expected[] = {"中华人民公", "中华人民合", "中华人民加"};
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Answer answer = look_up(word_key(words[i]), 5);
    EXPECT_EQ(answer.result, 1) << expected[i];
    EXPECT_EQ(answer.word, expected[i]);
  }
}

TEST_F(MainLibraryTest, HomophonesFirstBestInMatchBackwardForwardOrder) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  const struct {
    std::vector<int> weights;
    std::string word;
  } cases[] = {
      {{90, 40, 90}, "种国人"},  // the search lands on the middle record
      {{40, 90, 90}, "中过人"},
      {{40, 40, 90}, "重果人"},
  };
  for (const auto& c : cases) {
    CloseCachedFilePool();
    FreeCache();
    incache_init();
    write_main(3, {{GetPy3No(key.c_str()),
                    {main_record(key, {1, 0, 0}, c.weights[0], 0), main_record(key, {0, 1, 0}, c.weights[1], 0),
                     main_record(key, {2, 2, 0}, c.weights[2], 0)}}});
    const Answer answer = look_up(key, 3);
    EXPECT_EQ(answer.word, c.word);
    EXPECT_EQ(answer.weight, full_weight(90, 3, true));
  }
}

TEST_F(MainLibraryTest, WholeWordReplacementLocksOutWordsOfSingles) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  // Record 0 (whole) replaces the match; record 2 weighs more but is split into singles.
  write_main(3, {{GetPy3No(key.c_str()),
                  {main_record(key, {1, 0, 0}, 30, 0x00), main_record(key, {0, 0, 0}, 10, 0x00),
                   main_record(key, {2, 2, 1}, 110, 0x30)}}});
  const Answer answer = look_up(key, 3);
  EXPECT_EQ(answer.word, "种国人");
  EXPECT_EQ(answer.weight, full_weight(30, 3, true));
  EXPECT_GT(full_weight(110, 3, false), answer.weight);
}

TEST_F(MainLibraryTest, FixedCharactersChooseAmongHomophones) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  write_main(3, {{GetPy3No(key.c_str()),
                  {main_record(key, {1, 0, 0}, 90, 0), main_record(key, {0, 0, 0}, 40, 0),
                   main_record(key, {2, 2, 1}, 20, 0)}}});
  EXPECT_EQ(look_up(key, 3).word, "种国人");
  // The cached word does not agree, so the library is asked again.
  EXPECT_EQ(look_up(key, 3, "AA" + gbk("果") + "AA").word, "重果任");
  EXPECT_EQ(look_up(key, 3, gbk("中") + "AAAA").word, "中国人");
  // None agrees: no word, and no miss is cached for the key.
  EXPECT_EQ(look_up(key, 3, gbk("钟") + "AAAA").result, 0);
  EXPECT_EQ(look_up(key, 3, gbk("中") + "AAAA").word, "中国人");
  EXPECT_EQ(look_up(key, 3).word, "种国人");
}

TEST_F(MainLibraryTest, NumberWordWhenTheLibraryHasNone) {
  const std::string key = word_key({"yi", "er", "san", "si"});
  Answer answer = look_up(key, 4);
  EXPECT_EQ(answer.result, 1);
  EXPECT_EQ(answer.word, "一二三四");
  EXPECT_EQ(answer.weight, 80);
  EXPECT_EQ(answer.flags, 0x80);
  // A library written afterwards is not asked again: the answer stays in the cache.
  write_main(4, {{GetPy4No(key.c_str()), {main_record(key, {1, 1, 1, 1}, 120, 0)}}});
  answer = look_up(key, 4);
  EXPECT_EQ(answer.word, "一二三四");
  EXPECT_EQ(answer.weight, 80);
}

TEST_F(MainLibraryTest, MissesAreCachedForThreeSyllablesAndMore) {
  const std::string three = word_key({"zhong", "guo", "ren"});
  const std::string two = word_key({"zhong", "guo"});
  EXPECT_EQ(look_up(three, 3).result, 0);
  EXPECT_EQ(look_up(two, 2).result, 0);
  write_main(3, {{GetPy3No(three.c_str()), {main_record(three, {0, 0, 0}, 50, 0)}}});
  write_main(2, {{GetPy4No(two.c_str()), {main_record(two, {0, 0}, 50, 0)}}});
  EXPECT_EQ(look_up(three, 3).result, 0);
  EXPECT_EQ(look_up(two, 2).word, "中国");
}

TEST_F(MainLibraryTest, DamagedLibrariesFindNothing) {
  const std::string key = word_key({"zhong", "guo"});
  const std::int64_t bucket = GetPy4No(key.c_str());
  const std::string record = main_record(key, {0, 0}, 60, 0);
  const struct {
    const char* what;
    std::string index;
    std::string data;
  } cases[] = {
      {"records past the data", sentence_test::index_bytes({{bucket, {0, 2}}}), record},
      {"first past the data", sentence_test::index_bytes({{bucket, {5, 1}}}), record},
      {"index cut short", sentence_test::index_bytes({{bucket, {0, 1}}}).substr(0, bucket * 6 + 4), record},
      {"position past its row", sentence_test::index_bytes({{bucket, {0, 1}}}),
       main_record(key, {3, 0}, 60, 0)},
      {"zero weight", sentence_test::index_bytes({{bucket, {0, 1}}}), main_record(key, {0, 0}, 0, 0)},
  };
  for (const auto& c : cases) {
    CloseCachedFilePool();
    write(main_library_name(2, ".inx"), c.index);
    write(main_library_name(2, ".dat"), c.data);
    EXPECT_EQ(look_up(key, 2).result, 0) << c.what;
  }
}

TEST_F(MainLibraryTest, OutOfRangeKeysAndLengths) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  write_main(3, {{GetPy3No(key.c_str()), {main_record(key, {0, 0, 0}, 50, 0)}}});
  std::string digits = key;
  digits[1] = '1';
  EXPECT_EQ(look_up(digits, 3).result, 0);
  char text[kWordTextSize] = "AAAAAA";
  int weight = 0;
  unsigned char flags = 0;
  EXPECT_EQ(IsMyWord(0, 7, key.c_str(), 8, text, &weight, &flags, 0), 0);
  EXPECT_EQ(IsMyWord(0, 2, key.c_str(), 3, text, &weight, &flags, 0), 1);
}

class WholeLibraryTest : public MainLibraryTest {};

TEST_F(WholeLibraryTest, KeyAfterItsFirstThreeBytes) {
  const std::string two = word_key({"zhong", "guo"});
  const std::string four = word_key({"zhong", "hua", "ren", "min"});
  const std::string four_other = word_key({"zhong", "hua", "ren", "ma"});
  write_library(whole_library_name(2, ".inx"), whole_library_name(2, ".dat"),
                {{GetPy3No(two.c_str()), {two.substr(3) + stored_bytes({2, 1})}}});
  write_library(whole_library_name(4, ".inx"), whole_library_name(4, ".dat"),
                {{GetPy3No(four.c_str()),
                  {four.substr(3) + stored_bytes({0, 1, 0, 0}), four_other.substr(3) + stored_bytes({0, 0, 0, 1})}}});
  const struct {
    std::string key;
    int n;
    int result;
    std::string word;
  } cases[] = {{two, 2, 1, "重过"}, {four, 4, 1, "中化人民"}, {four_other, 4, 1, "中华人马"},
               {word_key({"zhong", "hua", "ren", "he"}), 4, 0, ""}, {two, 3, 0, ""}, {two, 8, 0, ""}};
  for (const auto& c : cases) {
    char text[kWordTextSize] = {};
    EXPECT_EQ(IsWholeWord(0, c.n - 1, c.key.c_str(), c.n, text), c.result) << c.word;
    if (c.result == 1) {
      EXPECT_EQ(utf8(text), c.word);
    }
  }
}

// Head-and-end records: key after three bytes, positions, 2 unread, weight, 1 unread, flags,
// marker.
std::string head_end_record(const std::string& key, const std::vector<int>& positions, int weight,
                            unsigned char flags, char marker) {
  return key.substr(3) + stored_bytes(positions) + "xx" + stored(weight) + "x" +
         static_cast<char>(flags) + marker;
}

class HeadEndLibraryTest : public MainLibraryTest {
 protected:
  void SetUp() override {
    MainLibraryTest::SetUp();
    CurrentItem = 6;
    for (int i = 0; i < kMaxItems; ++i) NCM[i] = Item{};
  }
  void TearDown() override {
    CurrentItem = 0;
    for (int i = 0; i < kMaxItems; ++i) NCM[i] = Item{};
    MainLibraryTest::TearDown();
  }
  // The bucket of `key` holds `records`, in this order.
  void write_bucket(const std::string& key, std::vector<std::string> records) {
    CloseCachedFilePool();
    write_library(head_end_library_name(2, ".inx"), head_end_library_name(2, ".dat"),
                  {{GetPy3No(key.c_str()), std::move(records)}});
  }
  Answer look_up_at(int first, const std::string& key) {
    Answer answer;
    char text[kWordTextSize] = "AAAA";
    answer.result = IsHeadEndWord(first, first + 1, key.c_str(), 2, text, &answer.weight, &answer.flags);
    answer.word = answer.result == 1 ? utf8(text) : std::string();
    return answer;
  }
};

TEST_F(HeadEndLibraryTest, HeadWordFoundFromEitherRecordWhenStoredHeadFirst) {
  const std::string key = word_key({"zhong", "guo"});
  const std::string before = word_key({"zhong", "gong"});  // sorts before: "o" < "u"
  const std::string after = word_key({"zhong", "guo"}).substr(0, 5) + "~";
  ASSERT_LT(before.substr(3), key.substr(3));
  ASSERT_GT(after.substr(3), key.substr(3));
  const std::string head = head_end_record(key, {0, 0}, 60, 0, 'h');
  const std::string tail = head_end_record(key, {1, 1}, 60, 0, 'e');
  const struct {
    const char* layout;
    std::vector<std::string> records;
    int result;
  } cases[] = {
      {"h e: lands on h", {head, tail}, 1},
      {"h e x: lands on e", {head, tail, head_end_record(after, {0, 0}, 60, 0, 'h')}, 1},
      {"e h x: lands on h", {tail, head, head_end_record(after, {0, 0}, 60, 0, 'h')}, 1},
      {"e h: lands on e", {tail, head}, 0},
      {"x e h: lands on e", {head_end_record(before, {0, 0}, 60, 0, 'h'), tail, head}, 0},
  };
  for (const auto& c : cases) {
    write_bucket(key, c.records);
    const Answer answer = look_up_at(0, key);
    EXPECT_EQ(answer.result, c.result) << c.layout;
    if (c.result == 1) {
      EXPECT_EQ(answer.word, "中国") << c.layout;
    }
  }
}

TEST_F(HeadEndLibraryTest, EndWordTakesTheRecordAfterTheHead) {
  const std::string key = word_key({"zhong", "guo"});
  write_bucket(key, {head_end_record(key, {0, 0}, 60, 0, 'h'), head_end_record(key, {1, 1}, 60, 0x40, 'e')});
  const Answer answer = look_up_at(CurrentItem - 2, key);
  EXPECT_EQ(answer.result, 1);
  EXPECT_EQ(answer.word, "种过");
  EXPECT_EQ(answer.flags, 0x40);
  EXPECT_EQ(look_up_at(2, key).result, 0);  // neither head nor end
}

TEST_F(HeadEndLibraryTest, TrailingDigitOrGivenCharacterMovesTheEnd) {
  const std::string key = word_key({"zhong", "guo"});
  write_bucket(key, {head_end_record(key, {0, 0}, 60, 0, 'e')});
  CurrentItem = 5;
  const struct {
    unsigned char flags, flags2;
    int first;
    int result;
  } cases[] = {
      {kItemPinyin, 0, 3, 1}, {kItemPinyin, 0, 2, 0},
      {0, kItemDigit, 2, 1},  {0, kItemDigit, 3, 0},
      {kItemGiven | kItemChinese | kItemFixed, 0, 2, 1}, {kItemGiven | kItemChinese | kItemFixed, 0, 3, 0},
  };
  for (const auto& c : cases) {
    NCM[4].flags = c.flags;
    NCM[4].flags2 = c.flags2;
    EXPECT_EQ(look_up_at(c.first, key).result, c.result) << c.first << " " << int(c.flags2);
  }
}

TEST_F(HeadEndLibraryTest, ShortWordsOfLowWeightRefused) {
  const std::string key = word_key({"zhong", "guo"});
  // Split into singles, so only the length factor applies: 25 -> 16, 27 -> 17.
  const struct {
    int stored_weight;
    int result;
  } cases[] = {{25, 0}, {27, 1}};
  for (const auto& c : cases) {
    write_bucket(key, {head_end_record(key, {0, 0}, c.stored_weight, 0x20, 'h')});
    const Answer answer = look_up_at(0, key);
    EXPECT_EQ(answer.result, c.result) << c.stored_weight;
    if (c.result == 1) {
      EXPECT_EQ(answer.weight, c.stored_weight * 65 / 100);
    }
  }
}

TEST_F(HeadEndLibraryTest, FixedCharactersMustAgree) {
  const std::string key = word_key({"zhong", "guo"});
  write_bucket(key, {head_end_record(key, {0, 0}, 60, 0, 'h')});
  char text[kWordTextSize] = {};
  std::snprintf(text, sizeof text, "%s", (gbk("钟") + "AA").c_str());
  int weight = 0;
  unsigned char flags = 0;
  EXPECT_EQ(IsHeadEndWord(0, 1, key.c_str(), 2, text, &weight, &flags), 0);
  std::snprintf(text, sizeof text, "%s", (gbk("中") + "AA").c_str());
  EXPECT_EQ(IsHeadEndWord(0, 1, key.c_str(), 2, text, &weight, &flags), 1);
  EXPECT_EQ(weight, full_weight(60, 2, true));
}

}  // namespace
