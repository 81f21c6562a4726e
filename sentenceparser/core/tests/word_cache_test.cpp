#include "sentenceparser/core/word_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/tests/library_fixture.h"

namespace {

using namespace sentence;
using sentence_test::gbk;
using sentence_test::utf8;
using sentence_test::word_key;

// `count` distinct GBK characters.
std::string characters(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += static_cast<char>(0xB0 + i / 94);
    text += static_cast<char>(0xA1 + i % 94);
  }
  return text;
}

// Distinct three-syllable keys that all begin with the syllable `first`.
std::string numbered_key(const std::string& first, int i) {
  const std::string head = word_key({first});
  return std::string{head[0], static_cast<char>('a' + i / 26), static_cast<char>('a' + i % 26), head[1], 'f', 'f'};
}

struct Cached {
  int result;
  std::string word;
  int weight;
  unsigned char flags;
};

class WordCacheTest : public sentence_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    load_gbk_table({{"zhong", characters(3)}, {"guo", characters(10)}, {"ren", characters(100)},
                    {"ma", gbk("马")}});
    FreeCache();
    FreeJPCache();
    incache_init();
    jpcache_init();
  }
  static Cached cached(const std::string& key, const std::string& fixed = "AAAAAA") {
    char text[kWordTextSize] = {};
    std::snprintf(text, sizeof text, "%s", fixed.c_str());
    Cached answer{0, "", -1, 0};
    answer.result = in_incache(key.c_str(), static_cast<int>(key.size() / 2), text, &answer.weight, &answer.flags);
    answer.word = utf8(text);
    return answer;
  }
  // How many distinct keys of the first syllable the slot keeps.
  static int capacity_of(const std::string& first) {
    const std::string word = gbk("中国人");
    int added = 0;
    while (added < 300 && addinto_incache(numbered_key(first, added).c_str(), 3, word.c_str(), 10, 0, 1) == 1) {
      ++added;
      if (cached(numbered_key(first, 0)).result != 1) return added - 1;
    }
    return -1;
  }
};

TEST_F(WordCacheTest, SlotCapacityFromTheRowClamped) {
  EXPECT_EQ(capacity_of("zhong"), 25);  // 3 x 3, raised to 25
  EXPECT_EQ(capacity_of("guo"), 30);
  EXPECT_EQ(capacity_of("ren"), 255);  // 3 x 100, cut to 255
}

TEST_F(WordCacheTest, RingDropsTheOldest) {
  const std::string word = gbk("中国人");
  for (int i = 0; i <= 25; ++i) ASSERT_EQ(addinto_incache(numbered_key("zhong", i).c_str(), 3, word.c_str(), i, 0, 1), 1);
  EXPECT_EQ(cached(numbered_key("zhong", 0)).result, -1);
  EXPECT_EQ(cached(numbered_key("zhong", 1)).weight, 1);
  EXPECT_EQ(cached(numbered_key("zhong", 25)).weight, 25);
}

TEST_F(WordCacheTest, AgreeingEntryOfGreatestWeightLastAmongEquals) {
  const std::string key = word_key({"zhong", "guo", "ren"});
  ASSERT_EQ(addinto_incache(key.c_str(), 3, gbk("中国人").c_str(), 50, 0x10, 1), 1);
  ASSERT_EQ(addinto_incache(key.c_str(), 3, gbk("种国人").c_str(), 50, 0x20, 1), 1);
  ASSERT_EQ(addinto_incache(key.c_str(), 3, gbk("重国人").c_str(), 40, 0x30, 1), 1);
  const struct {
    std::string fixed;
    int result;
    std::string word;
    int weight;
  } cases[] = {
      {"AAAAAA", 1, "种国人", 50},
      {gbk("中") + "AAAA", 1, "中国人", 50},
      {gbk("重") + "AAAA", 1, "重国人", 40},
      {gbk("钟") + "AAAA", -1, "钟", -1},  // nothing agrees: the text stays
  };
  for (const auto& c : cases) {
    const Cached answer = cached(key, c.fixed);
    EXPECT_EQ(answer.result, c.result) << c.word;
    EXPECT_EQ(answer.word.substr(0, c.word.size()), c.word);
    EXPECT_EQ(answer.weight, c.weight) << c.word;
  }
  EXPECT_EQ(cached(key).flags, 0x20);
}

TEST_F(WordCacheTest, MissesAnswerZeroAndLeaveTheOutputs) {
  const std::string key = word_key({"zhong", "guo", "ma"});
  ASSERT_EQ(addinto_incache(key.c_str(), 3, "", 0, 0x80, 0), 1);
  const Cached answer = cached(key);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.word, "AAAAAA");
  EXPECT_EQ(answer.weight, -1);
  EXPECT_EQ(cached(word_key({"zhong", "guo", "ren"})).result, -1);
}

TEST_F(WordCacheTest, KeysWithoutSlotOrStorage) {
  const std::string two = word_key({"zhong", "guo"});
  EXPECT_EQ(cached(two).result, -1);
  std::string unknown = word_key({"zhong", "guo", "ren"});
  unknown[0] = 'b';
  unknown[3] = '3';  // "b" + "iong" is no syllable
  EXPECT_EQ(addinto_incache(unknown.c_str(), 3, gbk("中国人").c_str(), 5, 0, 1), 0);
  const std::string long_text = gbk("中国人中国人中国人");
  const std::string key = word_key({"zhong", "guo", "ren"});
  EXPECT_EQ(addinto_incache(key.c_str(), 3, long_text.c_str(), 5, 0, 1), 0);
  FreeCache();
  EXPECT_EQ(addinto_incache(key.c_str(), 3, gbk("中国人").c_str(), 5, 0, 1), 0);
  EXPECT_EQ(cached(key).result, -1);
}

TEST_F(WordCacheTest, AbbreviationSlotsHoldSixtyFourWhateverTheRows) {
  // "rr": the slot number of two letters is no syllable's row.
  for (const char* letters : {"zg", "rr"}) {
    const std::string word = gbk("中国人民");
    auto key = [&](int i) { return std::string(letters) + static_cast<char>('a' + i / 26) + static_cast<char>('a' + i % 26); };
    for (int i = 0; i <= 64; ++i) ASSERT_EQ(addinto_jpcache(key(i).c_str(), 4, word.c_str(), i, 1), 1);
    char text[kWordTextSize] = "AAAAAAAA";
    int weight = -1;
    EXPECT_EQ(in_jpcache(key(0).c_str(), 4, text, &weight), -1) << letters;
    EXPECT_EQ(in_jpcache(key(1).c_str(), 4, text, &weight), 1) << letters;
    EXPECT_EQ(weight, 1);
    EXPECT_EQ(utf8(text), "中国人民");
  }
}

TEST_F(WordCacheTest, AbbreviationKeysAndMisses) {
  char text[kWordTextSize] = "AAAA";
  int weight = -1;
  EXPECT_EQ(addinto_jpcache("z", 1, "", 0, 0), -1);
  EXPECT_EQ(in_jpcache("z", 1, text, &weight), -1);
  EXPECT_EQ(addinto_jpcache("z1", 2, "", 0, 0), 0);
  EXPECT_EQ(in_jpcache("z1", 2, text, &weight), 0);
  EXPECT_EQ(in_jpcache("zg", 2, text, &weight), -1);
  ASSERT_EQ(addinto_jpcache("zg", 2, "", 0, 0), 1);
  EXPECT_EQ(in_jpcache("zg", 2, text, &weight), 0);
  EXPECT_STREQ(text, "AAAA");
  EXPECT_EQ(weight, -1);
  FreeJPCache();
  EXPECT_EQ(addinto_jpcache("zg", 2, gbk("中国").c_str(), 3, 1), 0);
  EXPECT_EQ(in_jpcache("zg", 2, text, &weight), -1);
}

TEST(EngineDataCaches, LiveFromStartUpToRelease) {
  engine_test::LogCapture log;
  engine_test::ScratchHome home;
  FreeCache();
  FreeJPCache();
  const std::string key = word_key({"zhong", "guo", "ren"});
  const std::string word = gbk("中国人");
  ASSERT_EQ(InitData(), 0);
  EXPECT_EQ(addinto_incache(key.c_str(), 3, word.c_str(), 7, 0, 1), 1);
  EXPECT_EQ(addinto_jpcache("zgr", 3, word.c_str(), 7, 1), 1);
  FreeData();
  EXPECT_EQ(addinto_incache(key.c_str(), 3, word.c_str(), 7, 0, 1), 0);
  EXPECT_EQ(addinto_jpcache("zgr", 3, word.c_str(), 7, 1), 0);
}

}  // namespace
