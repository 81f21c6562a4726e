#include "sentenceparser/core/learned_words.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/tests/engine_test_support.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_store.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/tests/core_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace sentence;
using sentence_test::gbk;
using sentence_test::utf8;

struct Stored {
  int result;
  std::string pinyin;  // as rewritten in place
  std::string count;
};

Stored learn(const std::string& pinyin, const std::string& word, const std::string& count = "1",
             const char* type = "A", int check = 0) {
  char pinyin_buffer[64] = {};
  char count_buffer[64] = {};
  std::strncpy(pinyin_buffer, pinyin.c_str(), sizeof pinyin_buffer - 1);
  std::strncpy(count_buffer, count.c_str(), sizeof count_buffer - 1);
  const int result = save_memci(pinyin_buffer, word.c_str(), count_buffer, type, check);
  return {result, pinyin_buffer, count_buffer};
}

// Every line in use in the bucket of `pinyin`.
std::vector<std::string> bucket_lines(const char* pinyin) {
  std::vector<std::string> lines;
  const int bucket = GetPy2No(pinyin);
  for (const LearnedEntry& entry : UBItem[bucket]) {
    if (entry.in_use != 0) lines.emplace_back(entry.text);
  }
  return lines;
}

struct Found {
  int result;
  std::string word;  // UTF-8
  int count;
};

Found lookup(const std::string& pinyin, const std::string& characters = "", int list_mode = 0) {
  char output[300] = {};
  int count = -1;
  const int result = in_memci(pinyin.c_str(), characters.c_str(), output, &count, list_mode);
  return {result, utf8(output), count};
}

class LearnedWordsTest : public sentence_test::CoreTest {
 protected:
  void SetUp() override {
    InputProperty.UseLearnedWords = 1;
    fs::create_directories(apr());
    fs::permissions(apr(), fs::perms::owner_all);
    AllocUserLib(0);
  }
  void TearDown() override {
    fs::permissions(apr(), fs::perms::owner_all);
    FreeUserLib(0);
    clear_learned_table();
    CoreTest::TearDown();
  }
  fs::path apr() const { return home_.data_folder() / "apr"; }
  fs::path library() const { return apr() / "youxian.lib"; }

  engine_test::LogCapture log_;
  engine_test::ScratchHome home_;
};

TEST_F(LearnedWordsTest, LearningAWordTwiceKeepsOneEntryWithTheSummedCount) {
  EXPECT_EQ(learn("ni-hao", gbk("你好")).result, 1);
  EXPECT_EQ(learn("ni-hao", gbk("你好")).result, 1);
  EXPECT_EQ(bucket_lines("ni"), std::vector<std::string>{"ni-hao " + gbk("你好") + " 2 A"});
  const Found found = lookup("ni-hao");
  EXPECT_EQ(found.result, 1);
  EXPECT_EQ(found.word, "你好");
  EXPECT_EQ(found.count, 2);
}

TEST_F(LearnedWordsTest, PinyinIsNormalisedOrRefused) {
  struct Case {
    const char* given;
    int result;
    const char* stored;
  } cases[] = {
      {"a-men", 1, "ap-men"},   {"e-xin", 1, "eq-xin"},   {"o-ye", 1, "or-ye"},
      {"ni_hao", 1, "ni-hao"},  {"Ni_Hao", 1, "nh"},  {"ni+hao", 1, "ni-hao"},  {"BeiJing", 1, "bj"},
      {"x-y", 0, nullptr},      {"ni--hao", 0, nullptr},  {"1a-b", 0, nullptr},
      {"", 0, nullptr},
  };
  for (const auto& c : cases) {
    const Stored stored = learn(c.given, gbk("你好"));
    EXPECT_EQ(stored.result, c.result) << c.given;
    if (c.stored != nullptr) {
      EXPECT_EQ(stored.pinyin, c.stored) << c.given;
    }
  }
  EXPECT_EQ(lookup("ap-men").word, "你好");
}

TEST_F(LearnedWordsTest, CountsAreClampedAndTypesFolded) {
  struct Case {
    const char* pinyin;
    const char* count;
    const char* type;
    const char* line_tail;
  } cases[] = {
      {"ni-hao", "0", "A", " 1 A"},
      {"ni-men", "70000", "A", " 65000 A"},
      {"ni-zi", "-5", "X", " 1 A"},
      {"ni-de", "12", "U", " 12 U"},
  };
  for (const auto& c : cases) {
    const Stored stored = learn(c.pinyin, gbk("你好"), c.count, c.type);
    ASSERT_EQ(stored.result, 1) << c.pinyin;
    const std::string expected = std::string(c.pinyin) + " " + gbk("你好") + c.line_tail;
    const auto lines = bucket_lines("ni");
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << c.pinyin;
  }
  EXPECT_EQ(learn("ni-men", gbk("你好"), "70000").count, "65000");
}

TEST_F(LearnedWordsTest, FullWidthLettersAreRefusedOnlyWhenChecked) {
  const std::string word = gbk("你Ａ");
  EXPECT_EQ(learn("ni-a", word, "1", "A", 1).result, 0);
  EXPECT_EQ(learn("ni-a", word, "1", "A", 0).result, 1);
}

TEST_F(LearnedWordsTest, WordsThatALineCannotHoldAreRefused) {
  EXPECT_EQ(learn("ni-hao", "").result, 0);
  EXPECT_EQ(learn("ni-hao", gbk("你") + " " + gbk("好")).result, 0);
  // 34 bytes of pinyin and 12 of word: the line passes 48 bytes.
  EXPECT_EQ(learn("zhuang-zhuang-zhuang-zhuang-zhuang", gbk("壮壮壮壮壮壮")).result, 0);
  EXPECT_TRUE(bucket_lines("zh").empty());
}

TEST_F(LearnedWordsTest, AnUpdatePastTheEntrysRoomKeepsTheOldLine) {
  // A line of exactly 48 bytes; the summed count needs four more digits.
  const std::string pinyin = "zhuang-zhuang-zhuang-zhuang-zhu";
  const std::string word = gbk("壮壮壮壮壮壮");
  const std::string line = pinyin + " " + word + " 1 A";
  ASSERT_EQ(line.size(), 48u);
  ASSERT_EQ(learn(pinyin, word).result, 1);
  EXPECT_EQ(learn(pinyin, word, "65000").result, 0);
  EXPECT_EQ(bucket_lines("zh"), std::vector<std::string>{line});
  // A sum that still fits is taken.
  EXPECT_EQ(learn(pinyin, word, "1").result, 1);
  EXPECT_EQ(bucket_lines("zh"), std::vector<std::string>{pinyin + " " + word + " 2 A"});
}

// Fifty distinct words in the bucket "ma": syllable pairs ma-<x>, all of count 10 and type A,
// except the ones the test sets otherwise.
std::vector<std::string> fifty_finals() {
  static const char* kFinals[] = {"a", "ai", "an", "ang", "ao", "e", "ei", "en", "eng", "i",
                                  "ian", "iao", "ie", "in", "ing", "iu", "o", "ou", "u"};
  std::vector<std::string> pinyins;
  for (const char* initial : {"m", "b", "p"}) {
    for (const char* final : kFinals) {
      if (pinyins.size() == kLearnedSlots) break;
      pinyins.push_back(std::string("ma-") + initial + final);
    }
  }
  return pinyins;
}

TEST_F(LearnedWordsTest, TheFiftyFirstWordEvictsTheLowestScoreButNeverAUserWord) {
  const auto pinyins = fifty_finals();
  ASSERT_EQ(pinyins.size(), 50u);
  for (std::size_t i = 0; i < pinyins.size(); ++i) {
    // Slot 3: the lowest score, but the user's word. Slot 7: the lowest learned one.
    const char* count = i == 3 ? "1" : i == 7 ? "2" : "10";
    const char* type = i == 3 ? "U" : "A";
    ASSERT_EQ(learn(pinyins[i], gbk("马上"), count, type).result, 1) << pinyins[i];
  }
  ASSERT_EQ(learn("ma-shang", gbk("马上"), "1").result, 1);
  const auto lines = bucket_lines("ma");
  ASSERT_EQ(lines.size(), 50u);
  EXPECT_EQ(std::string(UBItem[GetPy2No("ma")][7].text), "ma-shang " + gbk("马上") + " 1 A");
  EXPECT_EQ(std::string(UBItem[GetPy2No("ma")][3].text), pinyins[3] + " " + gbk("马上") + " 1 U");
}

TEST_F(LearnedWordsTest, EvictionHalvesTheScoreOfAnInitialsKeyAndSweepsEveryTie) {
  const auto pinyins = fifty_finals();
  for (std::size_t i = 0; i < pinyins.size(); ++i) {
    ASSERT_EQ(learn(pinyins[i], gbk("马上"), "10").result, 1);
  }
  // Replace two entries by initials keys of the same length budget: their halved score is lowest.
  const int bucket = GetPy2No("ma");
  const std::string initials = "mabcdefg " + gbk("马上") + " 10 A";
  std::strcpy(UBItem[bucket][10].text, initials.c_str());
  std::strcpy(UBItem[bucket][20].text, initials.c_str());
  ASSERT_EQ(learn("ma-shang", gbk("马上"), "1").result, 1);
  EXPECT_EQ(std::string(UBItem[bucket][10].text), "ma-shang " + gbk("马上") + " 1 A");
  EXPECT_EQ(UBItem[bucket][20].in_use, 0);  // the equal score was swept as well
  EXPECT_EQ(bucket_lines("ma").size(), 49u);
}

TEST_F(LearnedWordsTest, ABucketOfUserWordsOnlyRefusesANewWord) {
  for (const auto& pinyin : fifty_finals()) {
    ASSERT_EQ(learn(pinyin, gbk("马上"), "1", "U").result, 1);
  }
  EXPECT_EQ(learn("ma-shang", gbk("马上")).result, 0);
  EXPECT_EQ(bucket_lines("ma").size(), 50u);
}

TEST_F(LearnedWordsTest, PatternCharactersChooseAmongHomophones) {
  ASSERT_EQ(learn("shi-shi", gbk("事实"), "5").result, 1);
  ASSERT_EQ(learn("shi-shi", gbk("实施"), "3").result, 1);
  ASSERT_EQ(learn("shi-shi", gbk("实时"), "4").result, 1);
  struct Case {
    std::string pattern;
    const char* word;
    int count;
  } cases[] = {
      {"", "事实", 5},
      {"AAAA", "事实", 5},
      {"AA" + gbk("施"), "实施", 3},
      {gbk("实") + "AA", "实时", 4},
      {"AA" + gbk("实"), "事实", 5},
      {gbk("实"), "事实", 5},  // another length: no constraint
  };
  for (const auto& c : cases) {
    const Found found = lookup("shi-shi", c.pattern);
    EXPECT_EQ(found.result, 1) << c.word;
    EXPECT_EQ(found.word, c.word);
    EXPECT_EQ(found.count, c.count);
  }
  EXPECT_EQ(lookup("shi-shi", "AA" + gbk("他")).result, 0);
  EXPECT_EQ(lookup("SHI-SHI").word, "事实");
}

TEST_F(LearnedWordsTest, ListModeGivesUpToFourWordsByCount) {
  const char* words[] = {"事实", "实施", "实时", "史诗", "逝世"};
  const char* counts[] = {"2", "9", "2", "5", "99"};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(learn("shi-shi", gbk(words[i]), counts[i]).result, 1);
  const Found found = lookup("shi-shi", "", 1);
  EXPECT_EQ(found.result, 4);
  EXPECT_EQ(found.word, "实施,史诗,事实,实时");  // the fifth is not among the first four
}

TEST_F(LearnedWordsTest, NothingIsFoundWhileTheSwitchIsOff) {
  ASSERT_EQ(learn("ni-hao", gbk("你好")).result, 1);
  InputProperty.UseLearnedWords = 0;
  EXPECT_EQ(lookup("ni-hao").result, 0);
  InputProperty.UseLearnedWords = 1;
  EXPECT_EQ(lookup("ni-hao").result, 1);
}

TEST_F(LearnedWordsTest, AnInitialsEntryNeedsOneLetterPerCharacter) {
  ASSERT_EQ(learn("BeiJing", gbk("北京")).result, 1);
  ASSERT_EQ(learn("BJS", gbk("北京")).result, 1);  // three letters, two characters
  EXPECT_EQ(lookup("bj").word, "北京");
  EXPECT_EQ(lookup("bjs").result, 0);
}

TEST_F(LearnedWordsTest, UserDefinedWordsAreFreeKeysOfTypeU) {
  ASSERT_EQ(learn("dz", gbk("北京市海淀区"), "1", "U").result, 1);
  ASSERT_EQ(learn("dz", gbk("上海市"), "3", "U").result, 1);
  ASSERT_EQ(learn("dd", gbk("地点"), "1", "U").result, 1);      // an initials entry
  ASSERT_EQ(learn("dy", gbk("地域名称"), "1", "A").result, 1);  // learned, not defined
  struct Case {
    const char* input;
    int result;
    const char* word;
  } cases[] = {
      {"dz", 1, "上海市"}, {"D_Z", 1, "上海市"}, {"dd", 0, ""}, {"dy", 0, ""}, {"d", 0, ""},
  };
  for (const auto& c : cases) {
    char output[64] = {};
    EXPECT_EQ(IsUserDefineWord(c.input, output), c.result) << c.input;
    EXPECT_EQ(utf8(output), c.word) << c.input;
  }
  char output[64] = {};
  EXPECT_EQ(IsUserDefineWord(std::string(60, 'd').c_str(), output), 0);
}

TEST_F(LearnedWordsTest, LearnedWeightsFollowTheSyllableCountAndAreCapped) {
  struct Case {
    int n, count, listing, weight;
  } cases[] = {
      {2, 1, 0, 45},      // (100 + 50) x 30 / 100
      {2, 1, 1, 210},     // (100 + 50) x 140 / 100
      {3, 2, 1, 1750},    // (300 + 50) x 500 / 100
      {8, 1, 0, 45},      // (400 + 50) x 10 / 100
      {2, 5000, 0, 3000}, // capped
      {4, 1, 0, 625},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fix_user_wordpl(c.n, c.count, c.listing), c.weight) << c.n << "/" << c.count;
  }
  EXPECT_EQ(fix_user_wordpl(7, 65000, 1), 3000);  // no overflow on the largest count
}

TEST_F(LearnedWordsTest, AbbreviationKeysFindLearnedInitials) {
  ASSERT_EQ(learn("BeiJing", gbk("北京")).result, 1);
  char text[32] = {};
  int count = 0;
  EXPECT_EQ(in_youxian("BJ", 2, text, &count, 0), 1);
  EXPECT_EQ(utf8(text), "北京");
  EXPECT_EQ(count, 1);
  std::strcpy(text, ("AA" + gbk("经")).c_str());
  EXPECT_EQ(in_youxian("BJ", 2, text, &count, 0), 0);
}

TEST_F(LearnedWordsTest, SavedWordsSurviveARestart) {
  ASSERT_EQ(learn("ni-hao", gbk("你好"), "3").result, 1);
  ASSERT_EQ(learn("a-men", gbk("阿门"), "1", "U").result, 1);
  ASSERT_EQ(SaveAutoCi(1), 1);
  EXPECT_EQ(lookup("ni-hao").result, 0);  // emptied until the next load
  EXPECT_EQ(learn("ni-men", gbk("你们")).result, 0);
  const std::string saved = engine_test::read_file(library());
  EXPECT_NE(saved.find("ni-hao " + gbk("你好") + " 3 A\r\n"), std::string::npos);
  EXPECT_NE(saved.find("ap-men " + gbk("阿门") + " 1 U\r\n"), std::string::npos);

  FreeUserLib(0);
  ASSERT_EQ(AllocUserLib(0), 1);
  EXPECT_EQ(lookup("ni-hao").count, 3);
  EXPECT_EQ(lookup("ap-men").word, "阿门");
  EXPECT_EQ(engine_test::read_file(apr() / "youxian.bak"), saved);
}

TEST_F(LearnedWordsTest, ASaveOfAnUnloadedLibraryNeverEmptiesTheFile) {
  ASSERT_EQ(learn("ni-hao", gbk("你好")).result, 1);
  FreeUserLib(1);  // power-off
  const std::string saved = engine_test::read_file(library());
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(SaveAutoCi(1), 0);
  FreeUserLib(0);  // exit after power-off
  EXPECT_EQ(engine_test::read_file(library()), saved);
}

TEST_F(LearnedWordsTest, AFailedSaveKeepsTheFileAndTheWords) {
  engine_test::write_file(library(), "ni-hao " + gbk("你好") + " 7 A\r\n");
  LoadAutoCi(1);
  ASSERT_EQ(learn("ni-men", gbk("你们")).result, 1);
  const std::string before = engine_test::read_file(library());
  if (::geteuid() != 0) {
    fs::permissions(apr(), fs::perms::owner_read | fs::perms::owner_exec);
  } else {
    // Permissions do not stop the super-user: a folder in the library's place does.
    fs::rename(library(), apr() / "kept");
    fs::create_directories(library() / "inside");
  }
  EXPECT_EQ(SaveAutoCi(1), 0);
  fs::permissions(apr(), fs::perms::owner_all);
  if (::geteuid() == 0) {
    fs::remove_all(library());
    fs::rename(apr() / "kept", library());
  }
  EXPECT_EQ(engine_test::read_file(library()), before);
  EXPECT_EQ(lookup("ni-hao").count, 7);
  EXPECT_EQ(lookup("ni-men").word, "你们");
  EXPECT_EQ(SaveAutoCi(1), 1);
  EXPECT_NE(engine_test::read_file(library()).find("ni-men"), std::string::npos);
}

TEST_F(LearnedWordsTest, ShortAndHandWrittenLinesLoad) {
  load_table({{"ni", "你"}, {"hao", "好"}, {"men", "们"}});
  use_table_readings({{"ni", "你"}, {"hao", "好"}, {"men", "们"}});
  const std::string lines = std::string("ni-hao\t") + gbk("你好") + "  5 A\r\n" +  // tab and blanks
                            "ni-men " + gbk("你们") + "\n" +                          // two fields
                            "ni-de " + gbk("你的") + " 80000\r\n" +                   // three fields
                            gbk("好你们") + "\r\n" +                                  // the word alone
                            gbk("你哈") + "\r\n" +          // no reading for one character
                            "x-y " + gbk("你好") + "\r\n" +  // refused
                            "\r\n";
  engine_test::write_file(library(), lines);
  ASSERT_EQ(LoadAutoCi(1), 1);
  EXPECT_EQ(lookup("ni-hao").count, 5);
  EXPECT_EQ(bucket_lines("ni"),
            (std::vector<std::string>{"ni-hao " + gbk("你好") + " 5 A",
                                      "ni-men " + gbk("你们") + " 1 U",
                                      "ni-de " + gbk("你的") + " 65000 U"}));
  EXPECT_EQ(bucket_lines("ha"), std::vector<std::string>{"hao-ni-men " + gbk("好你们") + " 1 U"});
  EXPECT_TRUE(bucket_lines("xy").empty());
}

TEST_F(LearnedWordsTest, AMissingLibraryLoadsEmpty) {
  fs::remove(library());
  EXPECT_EQ(LoadAutoCi(1), 0);
  EXPECT_EQ(lookup("ni-hao").result, 0);
  EXPECT_EQ(learn("ni-hao", gbk("你好")).result, 1);
}

TEST_F(LearnedWordsTest, TheCharacterOrderTableRoundTrips) {
  std::string rows;
  for (int i = 0; i < kUserDanRows; ++i) rows += (i == 2 ? std::string("row two") : "") + "\r\n";
  engine_test::write_file(apr() / "user.dan", rows);
  ASSERT_EQ(LoadUserDan(1), 1);
  EXPECT_STREQ(UserDan[2], "row two");
  EXPECT_EQ(HaveUserDan, 1);
  fs::remove(apr() / "user.dan");
  ASSERT_EQ(SaveUserDan(), 1);
  EXPECT_EQ(engine_test::read_file(apr() / "user.dan"), rows);
  EXPECT_STREQ(UserDan[2], "");
}

}  // namespace
