// Fuzzy expansion of a typed syllable into the syllables it also stands for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/fuzzy_pinyin.h"
#include "record/engine_globals.h"

namespace {

// Every switch the expansion reads, with the values to restore.
struct Switches {
  int* value;
  int saved;
};

class FuzzyPinyin : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int* s : all_) saved_.push_back({s, *s});
    for (int* s : all_) *s = 0;
    ime_fuzzy_mode = 1;
    ime_valid = 1;
  }
  void TearDown() override {
    for (const Switches& s : saved_) *s.value = s.saved;
  }

  static std::vector<std::string> expand(const std::string& typed) {
    int count = -1;
    EXPECT_EQ(ime_get_equal_py(typed.c_str(), typed.size(), &count), 0);
    std::vector<std::string> variants;
    for (int i = 0; i < count; ++i) variants.emplace_back(ime_equal_py[i]);
    return variants;
  }

  std::vector<int*> all_ = {&ime_fuzzy_mode,   &ime_valid,          &ime_fuzzy_k2g,
                            &ime_fuzzy_f2h,    &ime_fuzzy_l2n,      &ime_fuzzy_l2r,
                            &ime_fuzzy_z2zh,   &ime_fuzzy_c2ch,     &ime_fuzzy_s2sh,
                            &ime_fuzzy_an2ang, &ime_fuzzy_en2eng,   &ime_fuzzy_in2ing,
                            &ime_fuzzy_ian2iang, &ime_fuzzy_uan2uang};
  std::vector<Switches> saved_;
};

TEST_F(FuzzyPinyin, ExpandsByTheEnabledPairs) {
  struct Case {
    const char* typed;
    std::vector<int*> on;
    std::vector<std::string> variants;
  } cases[] = {
      {"zhan", {&ime_fuzzy_z2zh, &ime_fuzzy_an2ang}, {"zhan", "zan", "zhang", "zang"}},
      {"zang", {&ime_fuzzy_z2zh, &ime_fuzzy_an2ang}, {"zang", "zhang", "zan", "zhan"}},
      {"zhan", {&ime_fuzzy_an2ang}, {"zhan", "zhang"}},
      {"zhan", {&ime_fuzzy_c2ch, &ime_fuzzy_s2sh}, {"zhan"}},
      {"l", {&ime_fuzzy_l2n, &ime_fuzzy_l2r}, {"l", "n", "r"}},
      {"lan", {&ime_fuzzy_l2n, &ime_fuzzy_an2ang}, {"lan", "nan", "lang", "nang"}},
      {"nin", {&ime_fuzzy_l2n, &ime_fuzzy_in2ing}, {"nin", "lin", "ning", "ling"}},
      {"r", {&ime_fuzzy_l2r}, {"r", "l"}},
      {"zh", {&ime_fuzzy_z2zh, &ime_fuzzy_an2ang}, {"zh", "z"}},
      {"z", {&ime_fuzzy_z2zh}, {"z"}},
      {"ken", {&ime_fuzzy_k2g, &ime_fuzzy_en2eng}, {"ken", "gen", "keng", "geng"}},
      {"hu", {&ime_fuzzy_f2h}, {"hu", "fu"}},
      {"chi", {&ime_fuzzy_c2ch}, {"chi", "ci"}},
      {"si", {&ime_fuzzy_s2sh}, {"si", "shi"}},
      {"jian", {&ime_fuzzy_ian2iang, &ime_fuzzy_an2ang}, {"jian", "jiang"}},
      {"chuan", {&ime_fuzzy_c2ch, &ime_fuzzy_uan2uang}, {"chuan", "cuan", "chuang", "cuang"}},
      // A variant longer than six letters has no slot and is left out.
      {"zuangg", {&ime_fuzzy_z2zh}, {"zuangg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    for (std::size_t i = 2; i < all_.size(); ++i) *all_[i] = 0;
    for (int* s : c.on) *s = 1;
    EXPECT_EQ(expand(c.typed), c.variants);
  }
}

TEST_F(FuzzyPinyin, OnlyTheSyllableItselfWhileFuzzyPinyinIsOffOrTheEngineNotValid) {
  for (std::size_t i = 2; i < all_.size(); ++i) *all_[i] = 1;
  EXPECT_EQ(expand("zhan").size(), 4u);
  ime_fuzzy_mode = 0;
  EXPECT_EQ(expand("zhan"), std::vector<std::string>{"zhan"});
  ime_fuzzy_mode = 1;
  ime_valid = 0;
  EXPECT_EQ(expand("zhan"), std::vector<std::string>{"zhan"});
}

TEST_F(FuzzyPinyin, NothingForAnEmptyOrOverlongInput) {
  ime_fuzzy_z2zh = 1;
  EXPECT_TRUE(expand("").empty());
  EXPECT_TRUE(expand("zhuangg").empty());
  int count = -1;
  EXPECT_EQ(ime_get_equal_py(nullptr, 6, &count), 0);
  EXPECT_EQ(count, 0);
  // Only `length` letters are read.
  EXPECT_EQ(ime_get_equal_py("zhangxyz", 5, &count), 0);
  EXPECT_EQ(std::string(ime_equal_py[0]), "zhang");
}

}  // namespace
