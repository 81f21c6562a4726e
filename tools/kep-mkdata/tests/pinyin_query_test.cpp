// Single-character queries over the tiny pinyin tables: what each kind of input finds, in what
// order, and how learned counts, tones, classes, traditional mode and accessory letters change it.
#include <gtest/gtest.h>

#include <set>

#include "CoreSource/query/candidate_freq.h"
#include "CoreSource/query/pyquery.h"
#include "query_fixture.h"

namespace table_test {
namespace {

constexpr int kHanzi = IME_LIST_HANZI;

using Texts = std::vector<std::string>;

TEST_F(QueryTest, ASyllableFindsItsHanziStrongestFirstAndLearnedUseRanksFirst) {
  split({"zhong"});
  EXPECT_EQ(ime_query_py_list(c_, 0, "zhong", kHanzi), 2);
  ime_qrdb_sort(c_, kHanzi);
  std::vector<ime_query_result_t> found = candidates(kHanzi);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_STREQ(reinterpret_cast<const char*>(found[0].hz), "中");
  EXPECT_STREQ(reinterpret_cast<const char*>(found[1].hz), "种");
  EXPECT_STREQ(reinterpret_cast<const char*>(found[1].thz), "種");
  EXPECT_EQ(found[1].hlen, 3);
  EXPECT_EQ(found[1].thlen, 3);
  EXPECT_EQ(found[1].sm[0], 'z');
  EXPECT_EQ(found[1].plen, 1);
  EXPECT_EQ(found[1].jp, 0);
  EXPECT_EQ(found[1].index, 1u);
  EXPECT_EQ(found[1].tone[0], 4 | 8);
  EXPECT_EQ(found[1].freq, 1000u);
  EXPECT_EQ(found[1].matval, 1000u);  // nothing learned yet

  // Choosing 种 once in the class-ranked mode lifts it above the shipped order.
  ime_set_hzfreq(&found[1], 3);
  ime_qrdb_reset(c_, kHanzi);
  ime_query_py_list(c_, 0, "zhong", kHanzi);
  ime_qrdb_sort(c_, kHanzi);
  EXPECT_EQ(texts(kHanzi), (Texts{"种", "中"}));
  EXPECT_EQ(candidates(kHanzi)[0].matval, 0x03000000u + 1000u);
}

TEST_F(QueryTest, AnInitialAloneFindsEverySyllableWithIt) {
  struct Case {
    const char* typed;
    Texts hanzi;
  } cases[] = {
      {"zh", {"中", "种", "张", "扎"}},
      {"z", {"中", "种", "张", "扎", "杂"}},
      {"j", {"家", "几", "就"}},
      {"m", {"呣"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.typed);
    ime_qrdb_reset(c_, kHanzi);
    EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, k.typed, kHanzi), static_cast<int>(k.hanzi.size()));
    std::multiset<std::string> found;
    for (const ime_query_result_t& c : candidates(kHanzi)) {
      found.emplace(reinterpret_cast<const char*>(c.hz));
      EXPECT_EQ(c.jp, 1);
    }
    EXPECT_EQ(found, std::multiset<std::string>(k.hanzi.begin(), k.hanzi.end()));
  }
}

TEST_F(QueryTest, FuzzyVariantsReachingTheSameRecordAddItOnce) {
  ime_fuzzy_mode = 1;
  ime_fuzzy_z2zh = 1;
  split({"zh"});
  // "zh" also stands for "z", whose scan covers every zh syllable again.
  EXPECT_EQ(ime_query_py_list(c_, 0, "zh", kHanzi), 5);
  Texts found = texts(kHanzi);
  EXPECT_EQ(std::set<std::string>(found.begin(), found.end()).size(), 5u);
}

TEST_F(QueryTest, TonesClassesAndTablesNarrowTheQuery) {
  struct Case {
    const char* what;
    const char* syllable;
    int tone;
    bool traditional;
    int query_all;
    Texts traditional_texts;
  } cases[] = {
      {"any tone", "zhong", 0, false, 1, {"中", "種"}},
      {"tone 4 of both", "zhong", 4, false, 1, {"中", "種"}},
      {"tone 1", "zhong", 1, false, 1, {"中"}},
      {"tone 3", "zhong", 3, false, 1, {"種"}},
      {"a tone neither has", "zhong", 2, false, 1, {}},
      {"rare characters asked for", "n", 0, false, 1, {"嗯"}},
      {"rare characters left out", "n", 0, false, 0, {}},
      {"extension table only in traditional mode", "fa", 0, false, 1, {"發"}},
      {"extension table in traditional mode", "fa", 0, true, 1, {"發", "髮"}},
      {"a syllable only the extension table has", "hou", 0, true, 1, {"后"}},
      {"an unknown syllable", "qiong", 0, true, 1, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ime_qrdb_reset(c_, kHanzi);
    ime_query_all = k.query_all;
    c_->mode = k.traditional ? std::uint32_t{IME_MODE_TRADITIONAL} : 0u;
    EXPECT_EQ(ime_query_py_list(c_, k.tone, k.syllable, kHanzi), static_cast<int>(k.traditional_texts.size()));
    EXPECT_EQ(texts(kHanzi, true), k.traditional_texts);
  }
  // Extension entries are numbered above every hanzi index of pinyin.db.
  c_->mode = IME_MODE_TRADITIONAL;
  ime_qrdb_reset(c_, kHanzi);
  ime_query_py_list(c_, 0, "fa", kHanzi);
  EXPECT_EQ(candidates(kHanzi)[1].index, IME_PY_EXT_INDEX_BASE + 0);
}

TEST_F(QueryTest, UnusableInputsAndCountingOnly) {
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, "qiong", kHanzi), -1);
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, "Zhong", kHanzi), -1);
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, "zhongguo", kHanzi), -1);
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, "", kHanzi), 0);
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, nullptr, kHanzi), 0);
  // The tables must be the engine's own.
  EXPECT_EQ(ime_query_py(c_, &ime_pyext_info, 15, "zhong", kHanzi), -1);
  EXPECT_EQ(ime_query_py2(c_, &ime_py_info, 15, "fa", kHanzi), -1);
  // A negative list code counts without adding.
  EXPECT_EQ(ime_query_py(c_, &ime_py_info, 15, "zhong", -1), 2);
  EXPECT_EQ(ime_query_py2(c_, &ime_pyext_info, 15, "fa", -1), 1);
  EXPECT_EQ(ime_qrdb_count(c_, kHanzi), 0);

  std::int64_t offset = -1;
  EXPECT_TRUE(ime_is_valid_py("zhongguo", 5, &offset));
  EXPECT_GE(offset, 0);
  EXPECT_FALSE(ime_is_valid_py("zh", 2, nullptr));
  EXPECT_FALSE(ime_is_valid_py("zhongx", 6, nullptr));
}

TEST_F(QueryTest, AccessoryLettersKeepOnlyHanziWhoseCodesBeginWithThem) {
  ASSERT_EQ(ime_load_acc(), 0);
  struct Case {
    const char* letters;
    int syllables;  // typed; more than one compares the first letter only
    const char* syllable;
    Texts hanzi;
  } cases[] = {
      {"l", 1, "zhong", {"中", "种"}},  // 种 has no codes and always passes
      {"h", 1, "zhong", {"种"}},
      {"ho", 1, "xing", {"行"}},
      {"hx", 1, "xing", {}},
      {"hx", 2, "xing", {"行"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.syllable) + " {" + k.letters + "}");
    ime_qrdb_reset(c_, kHanzi);
    c_->pynum = static_cast<std::uint16_t>(k.syllables - 1);
    c_->acclen = 0;
    for (const char* l = k.letters; *l != '\0'; ++l) ime_convs_add_accessory_key(c_, *l);
    ime_query_py_list(c_, 0, k.syllable, kHanzi);
    ime_qrdb_sort(c_, kHanzi);
    EXPECT_EQ(texts(kHanzi), k.hanzi);
  }
}

TEST_F(QueryTest, AnEntryWhoseRecordIsNotInTheTableIsNotLoaded) {
  ime_query_py(c_, &ime_py_info, 15, "zhong", kHanzi);
  ime_qrdb_entry_t* entry = nullptr;
  ASSERT_EQ(ime_qrdb_get_lazy(c_, kHanzi, 0, &entry), 0);
  ime_query_result_t out{};
  ime_qrdb_entry_t moved = *entry;
  for (std::uint32_t offset : {std::uint32_t{1}, std::uint32_t(ime_py_main_size),
                               std::uint32_t(ime_py_main_size - IME_PY_RECORD_SIZE), 0xFFFFFFF0u}) {
    SCOPED_TRACE(offset);
    moved.offset = offset;  // mid-record, past the records, the end record, far outside
    EXPECT_EQ(ime_load_py_lazy(&moved, &out), -1);
  }
  moved = *entry;
  int unrelated = 0;
  moved.source = &unrelated;
  EXPECT_EQ(ime_load_py_lazy(&moved, &out), -1);
  EXPECT_EQ(ime_load_py_lazy(entry, &out), 0);
}

}  // namespace
}  // namespace table_test
