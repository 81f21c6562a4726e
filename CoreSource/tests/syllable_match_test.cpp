// The syllable test of dictionary words and user phrases, with and without fuzzy pinyin.
#include <gtest/gtest.h>

#include <vector>

#include "record/engine_globals.h"
#include "tables/pinyin_code.h"
#include "tables/syllable_match.h"

namespace {

// Turns fuzzy pinyin on with the named pairs for the life of the object.
class Fuzzy {
 public:
  explicit Fuzzy(std::vector<int*> pairs) : pairs_(std::move(pairs)) {
    ime_fuzzy_mode = 1;
    for (int* pair : pairs_) *pair = 1;
  }
  ~Fuzzy() {
    ime_fuzzy_mode = 0;
    for (int* pair : pairs_) *pair = 0;
  }

 private:
  std::vector<int*> pairs_;
};

struct Case {
  const char* typed;
  const char* stored;
  bool accepted;
};

void expect_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    char initial = '\0';
    char code = '\0';
    ime_decompose_py(c.stored, &initial, &code);
    EXPECT_EQ(ime_syllable_accepts(c.typed, initial, code) == 1, c.accepted)
        << c.typed << " for " << c.stored;
  }
}

TEST(SyllableMatch, WithoutFuzzyPinyinSyllablesMatchExactlyAndInitialsStandForTheirSyllables) {
  expect_cases({
      {"zhong", "zhong", true}, {"zong", "zhong", false}, {"z", "zhong", true}, {"z", "zong", true},
      {"zh", "zhong", true}, {"zh", "zong", false}, {"l", "nan", false}, {"a", "a", true},
      {"er", "er", true}, {"e", "er", false}, {"xian", "xiang", false}, {"", "zhong", false},
  });
  // The vowel syllables as the builder stores them.
  EXPECT_EQ(ime_syllable_accepts("a", 'a', 'P'), 1);
  EXPECT_EQ(ime_syllable_accepts("o", 'o', 'R'), 1);
  EXPECT_EQ(ime_syllable_accepts("e", 'a', 'P'), 0);
}

TEST(SyllableMatch, FuzzyPairsCountOnlyWhenSwitchedOn) {
  {
    Fuzzy fuzzy({&ime_fuzzy_z2zh, &ime_fuzzy_an2ang});
    expect_cases({
        {"zong", "zhong", true}, {"zh", "zong", true}, {"zhan", "zhang", true}, {"zan", "zhang", true},
        {"zhen", "zheng", false}, {"can", "chan", false},
    });
  }
  {
    Fuzzy fuzzy({&ime_fuzzy_l2n, &ime_fuzzy_f2h, &ime_fuzzy_in2ing, &ime_fuzzy_ian2iang});
    expect_cases({
        {"l", "nan", true}, {"lan", "nan", true}, {"f", "hua", true}, {"fa", "hua", false},
        {"xin", "xing", true}, {"jian", "jiang", true}, {"jian", "jiao", false},
    });
  }
  // A pair switched on while fuzzy pinyin itself is off does nothing.
  ime_fuzzy_l2n = 1;
  expect_cases({{"lan", "nan", false}, {"l", "nan", false}});
  ime_fuzzy_l2n = 0;
}

TEST(SyllableMatch, InitialsTypedAlone) {
  const std::vector<std::pair<const char*, bool>> cases = {
      {"zh", true}, {"ch", true}, {"sh", true}, {"z", true}, {"b", true},
      {"a", false}, {"e", false}, {"o", false}, {"zha", false}, {"bh", false}, {"", false},
  };
  for (const auto& [text, initial] : cases) EXPECT_EQ(ime_syllable_is_initial(text), initial) << text;
}

}  // namespace
