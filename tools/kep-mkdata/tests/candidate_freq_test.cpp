// Usage counts of single hanzi and dictionary words: where each is kept, the rules that raise,
// lower and set it, and that a count never wraps or leaks into its neighbour.
#include <gtest/gtest.h>

#include "CoreSource/dict/dictpool.h"
#include "CoreSource/query/candidate_freq.h"
#include "CoreSource/query/phrase_query.h"
#include "CoreSource/query/pyquery.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/tables/pinyin_code.h"
#include "CoreSource/user/imeuser2.h"
#include "query_fixture.h"
#include "writers/system_dictionary.h"

namespace table_test {
namespace {

ime_query_result_t hanzi(std::uint32_t index, bool initial_only) {
  ime_query_result_t candidate{};
  candidate.type = IME_RESULT_HANZI;
  candidate.index = index;
  candidate.jp = initial_only ? 1 : 0;
  return candidate;
}

TEST(FrequencyRules, LowerAsEachKindOfCountFalls) {
  struct Case {
    std::uint32_t word;
    int mode;
    std::uint32_t hanzi;
    std::uint32_t user;
  } cases[] = {
      {0x05000010u, 0, 0x04000010u, 0x04000010u},  // one class down, count kept
      {0x00000010u, 0, 0x00000010u, 0x00000010u},  // class 0 stays
      {0x7F00000Eu, 1, 0x7F000000u, 0x7F00000Au},  // 14: hanzi to 0 (9 < 10), user to 10
      {0x00000064u, 1, 0x00000046u, 0x00000046u},  // 100 -> 70
      {0x00000005u, 1, 0x00000000u, 0x00000005u},  // a user count below 10 is not raised
      {0x00000000u, 1, 0x00000000u, 0x00000000u},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.word);
    EXPECT_EQ(ime_hanzi_freq_lowered(k.word, k.mode), k.hanzi);
    EXPECT_EQ(ime_user_freq_lowered(k.word, k.mode), k.user);
  }
  EXPECT_EQ(ime_counting_field(0x7F123456u, 0), 0x7F000000u);
  EXPECT_EQ(ime_counting_field(0x7F123456u, 1), 0x123456u);
}

class HanziCounters : public QueryTest {
 protected:
  // The row bytes of hanzi `index` as stored in hzfreq.db.
  std::string row(std::uint32_t index) const {
    const auto* bytes = static_cast<const char*>(ime_freq_info.address) + index * IME_HZFREQ_ROW_BYTES;
    return std::string(bytes, IME_HZFREQ_ROW_BYTES);
  }
};

TEST_F(HanziCounters, FullSyllableAndInitialOnlyCountsAreSeparate) {
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    ime_freq_mode = mode;
    ime_hzfreq_write(5, false, 0);
    ime_hzfreq_write(5, true, 0);
    ime_query_result_t by_syllable = hanzi(5, false);
    ime_query_result_t by_initial = hanzi(5, true);
    for (int i = 0; i < 3; ++i) ime_inc_hzfreq(&by_initial);
    ime_inc_hzfreq(&by_syllable);
    const std::uint32_t unit = mode == 0 ? 0x01000000u : 1u;
    EXPECT_EQ(ime_hzfreq_read(5, true), 3 * unit);
    EXPECT_EQ(ime_hzfreq_read(5, false), unit);
    ime_dec_hzfreq(&by_syllable);
    EXPECT_EQ(ime_hzfreq_read(5, false), 0u);
    EXPECT_EQ(ime_hzfreq_read(5, true), 3 * unit);
  }
  // Each counter has its own four bytes, little-endian.
  ime_hzfreq_write(6, false, 0x04030201u);
  ime_hzfreq_write(6, true, 0x08070605u);
  EXPECT_EQ(row(6), std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  EXPECT_EQ(row(7), std::string(8, '\0'));
}

TEST_F(HanziCounters, ACountStopsAtItsLargestValueInsteadOfWrapping) {
  struct Case {
    int mode;
    std::uint32_t stored;
    std::uint32_t after_raise;
  } cases[] = {
      {0, 0x7F000005u, 0x7F000005u},
      {0, 0x7E000005u, 0x7F000005u},
      {1, 0x00FFFFFFu, 0x00FFFFFFu},
      {1, 0x05FFFFFEu, 0x05FFFFFFu},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.stored);
    ime_freq_mode = k.mode;
    ime_hzfreq_write(2, false, k.stored);
    ime_query_result_t candidate = hanzi(2, false);
    ime_inc_hzfreq(&candidate);
    EXPECT_EQ(ime_hzfreq_read(2, false), k.after_raise);
  }
}

TEST_F(HanziCounters, SetTakesTheLowBitsOfTheValueForTheCountingField) {
  ime_query_result_t candidate = hanzi(3, false);
  ime_hzfreq_write(3, false, 0x00000123u);
  ime_freq_mode = 0;
  ime_set_hzfreq(&candidate, 200);
  EXPECT_EQ(ime_hzfreq_read(3, false), 0x48000123u);
  ime_freq_mode = 1;
  ime_set_hzfreq(&candidate, 0x01234567u);
  EXPECT_EQ(ime_hzfreq_read(3, false), 0x48234567u);
}

TEST_F(HanziCounters, HanziOfTheExtensionTableHaveNoCounter) {
  ime_freq_mode = 1;
  ime_query_result_t extension = hanzi(IME_HZFREQ_MAX_INDEX, false);
  std::string before(static_cast<const char*>(ime_freq_info.address), ime_freq_info.length);
  ime_inc_hzfreq(&extension);
  ime_set_hzfreq(&extension, 77);
  EXPECT_EQ(std::string(static_cast<const char*>(ime_freq_info.address), ime_freq_info.length), before);
  EXPECT_EQ(ime_hzfreq_read(IME_HZFREQ_MAX_INDEX, false), 0u);
  EXPECT_FALSE(ime_hzfreq_write(0xFFFFFFFFu, true, 1));
}

TEST_F(HanziCounters, AnEntryReadsTheCounterOfHowItWasTyped) {
  ime_freq_mode = 1;
  ime_hzfreq_write(0, false, 40);  // 中 typed as zhong
  ime_hzfreq_write(0, true, 7);    // 中 typed as zh
  for (const char* typed : {"zhong", "zh"}) {
    SCOPED_TRACE(typed);
    ime_qrdb_reset(c_, IME_LIST_HANZI);
    ime_query_py(c_, &ime_py_info, 15, typed, IME_LIST_HANZI);
    ime_qrdb_entry_t* entry = nullptr;
    for (int i = 0; entry == nullptr || entry->index != 0; ++i) {
      ASSERT_EQ(ime_qrdb_get_lazy(c_, IME_LIST_HANZI, i, &entry), 0);
    }
    const std::uint32_t learned = typed[2] == '\0' ? 7 : 40;
    EXPECT_EQ(ime_get_hzfreq(entry), learned);
    EXPECT_EQ(entry->matval, static_cast<std::int32_t>(learned + 243213));
  }
}

// The tiny system dictionary in the pool, for the counts of dictionary words.
class WordCounters : public QueryTest {
 protected:
  void SetUp() override {
    std::vector<mkdata::WordListEntry> words = {
        {{"zhong", "guo"}, "中国", "中國", 106588, "12"},
        {{"zhong", "guo", "ren"}, "中国人", "中國人", 500, "122"},
        {{"xing", "dong"}, "行动", "行動", 30, "24"},
    };
    mkdata::DictionaryReport report;
    std::string error;
    ASSERT_TRUE(mkdata::write_system_dictionary(words, root_.resources() / "system.dict", &report, &error)) << error;
    QueryTest::SetUp();
    ASSERT_EQ(ime_load_phrase(), 0);
    ASSERT_EQ(ime_dict_count, 1);
  }
  void TearDown() override {
    ime_close_phrase();
    QueryTest::TearDown();
  }

  // The first word found for the typed syllables, loaded.
  ime_query_result_t first_word(const std::vector<const char*>& syllables) {
    split(syllables);
    ime_qrdb_reset(c_, IME_LIST_PHRASES);
    ime_query_phrase(c_, 0, 0, c_->pynum, IME_LIST_PHRASES);
    std::vector<ime_query_result_t> found = candidates(IME_LIST_PHRASES);
    EXPECT_FALSE(found.empty());
    return found.empty() ? ime_query_result_t{} : found[0];
  }
  std::uint32_t counter_of(const ime_query_result_t& word) {
    return QAFreqGetValue(ime_dict_pool[0]->freq, static_cast<int>(word.index));
  }
};

TEST_F(WordCounters, RaiseLowerSetAndDeleteReachTheWordsCounter) {
  ime_freq_mode = 0;
  ime_query_result_t word = first_word({"xing", "dong"});
  ASSERT_STREQ(reinterpret_cast<const char*>(word.hz), "行动");
  ime_inc_hzfreq(&word);
  ime_inc_hzfreq(&word);
  EXPECT_EQ(counter_of(word), 0x02000000u);
  ime_dec_hzfreq(&word);
  EXPECT_EQ(counter_of(word), 0x01000000u);
  ime_set_hzfreq(&word, 0x105);
  EXPECT_EQ(counter_of(word), 0x05000000u);

  // A deleted word sinks: its ranking half is cleared in either mode.
  QAFreqStoreValue(ime_dict_pool[0]->freq, static_cast<int>(word.index), 0x05000012u);
  EXPECT_EQ(ime_delete_user_phrase(&word), 0);
  EXPECT_EQ(counter_of(word), 0x92u);
  ime_freq_mode = 1;
  QAFreqStoreValue(ime_dict_pool[0]->freq, static_cast<int>(word.index), 0x05000012u);
  ime_delete_user_phrase(&word);
  EXPECT_EQ(ime_counting_field(counter_of(word), 1), 0u);

  // A candidate of a dictionary no longer open changes nothing.
  QAFreqStoreValue(ime_dict_pool[0]->freq, static_cast<int>(word.index), 0);
  word.dbid = 1;
  ime_inc_hzfreq(&word);
  word.dbid = -1;
  ime_inc_hzfreq(&word);
  EXPECT_EQ(counter_of(word), 0u);
}

TEST_F(WordCounters, PhraseQueriesTakeTheLongestSpansAndFlagAWholeCover) {
  struct Case {
    std::vector<const char*> typed;
    int whole;
    int am_flag;
    std::vector<std::string> words;
  } cases[] = {
      {{"zhong", "guo"}, 1, 1, {"中国"}},
      {{"zhong", "guo", "ren"}, 1, 1, {"中国人", "中国"}},
      {{"zhong", "guo", "de"}, 0, 0, {"中国"}},
      {{"x", "d"}, 1, 1, {"行动"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.typed.size());
    std::memset(c_->py, 0, sizeof c_->py);
    split(k.typed);
    ime_am_flag = 0;
    ime_qrdb_reset(c_, IME_LIST_PHRASES);
    EXPECT_EQ(ime_query_phrase(c_, 0, 0, c_->pynum, IME_LIST_PHRASES), k.whole);
    EXPECT_EQ(ime_am_flag, k.am_flag);
    EXPECT_EQ(texts(IME_LIST_PHRASES), k.words);
  }
  // Spans outside the typed syllables and dictionaries not open find nothing.
  EXPECT_EQ(ime_query_phrase(c_, 0, 0, 5, IME_LIST_PHRASES), 0);
  EXPECT_EQ(ime_query_phrase(c_, 1, 0, 1, IME_LIST_PHRASES), 0);
  EXPECT_EQ(ime_query_phrase(c_, -1, 0, 1, IME_LIST_PHRASES), 0);
  c_->pynum = IME_PY_NOT_SPLIT;
  EXPECT_EQ(ime_query_phrase(c_, 0, 0, 1, IME_LIST_PHRASES), 0);
}

TEST_F(WordCounters, TypedTonesNarrowThePhrases) {
  split({"zhong", "guo"});
  c_->tones[1] = 2;  // guo2
  ime_query_phrase(c_, 0, 0, 1, IME_LIST_PHRASES);
  EXPECT_EQ(texts(IME_LIST_PHRASES), std::vector<std::string>{"中国"});
  ime_qrdb_reset(c_, IME_LIST_PHRASES);
  c_->tones[1] = 4;
  ime_query_phrase(c_, 0, 0, 1, IME_LIST_PHRASES);
  EXPECT_TRUE(texts(IME_LIST_PHRASES).empty());
}

// A user phrase beside the dictionary word of the same syllables.
class UserWordCounters : public WordCounters {
 protected:
  void SetUp() override {
    WordCounters::SetUp();
    ASSERT_EQ(ime_udb_open(), 0);
    ime_query_result_t phrase{};
    phrase.plen = 2;
    ime_decompose_py("zhong", &phrase.sm[0], &phrase.ym[0]);
    ime_decompose_py("guo", &phrase.sm[1], &phrase.ym[1]);
    phrase.tone[0] = 1;
    phrase.tone[1] = 2;
    std::strcpy(reinterpret_cast<char*>(phrase.hz), "中国");
    phrase.hlen = 6;
    std::strcpy(reinterpret_cast<char*>(phrase.thz), "中國");
    phrase.thlen = 6;
    ASSERT_EQ(ime_add_user_phrase(&phrase), 0);
  }
  void TearDown() override {
    ime_udb_free();
    WordCounters::TearDown();
  }

  // The user word found for zhong'guo, with the list entry it was loaded from.
  ime_query_result_t user_word() {
    split({"zhong", "guo"});
    ime_qrdb_reset(c_, IME_LIST_PHRASES);
    ime_query_phrase_list(c_, 0, 1, IME_LIST_PHRASES);
    for (const ime_query_result_t& c : candidates(IME_LIST_PHRASES)) {
      if (c.type == IME_RESULT_USER_WORD) return c;
    }
    ADD_FAILURE() << "no user word found";
    return {};
  }
  const UDBItem* item() const {
    std::vector<const UDBItem*> items = ime_udb_items();
    return items.empty() ? nullptr : items[0];
  }
};

TEST_F(UserWordCounters, PhraseListsOfferUserWordsBeforeDictionaryWords) {
  split({"zhong", "guo"});
  ime_query_phrase_list(c_, 0, 1, IME_LIST_PHRASES);
  std::vector<ime_query_result_t> found = candidates(IME_LIST_PHRASES);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].type, IME_RESULT_USER_WORD);
  EXPECT_EQ(found[1].type, IME_RESULT_DICT_WORD);
}

TEST_F(UserWordCounters, AChosenUserWordCountsAUseAndRanksHigher) {
  ime_freq_mode = 0;
  ime_query_result_t word = user_word();
  ASSERT_NE(item(), nullptr);
  const std::uint32_t start = item()->freq;  // class ime_hzfreq_val + 1, count 30000
  const std::uint8_t used = item()->used;
  ime_inc_hzfreq(&word);
  EXPECT_EQ(item()->freq, start + 0x01000000u);
  EXPECT_EQ(item()->used, used + 1);
  EXPECT_GT(item()->time, 0);
  ime_dec_hzfreq(&word);
  EXPECT_EQ(item()->freq, start);
  ime_set_hzfreq(&word, 200);
  EXPECT_EQ(item()->freq >> 24, 0x48u);
  EXPECT_EQ(item()->used, used + 2);

  // Passing a word over lowers only its count, never its use count.
  ime_freq_mode = 1;
  ime_qrdb_entry_t* entry = nullptr;
  ASSERT_EQ(ime_qrdb_get_lazy(c_, IME_LIST_PHRASES, 0, &entry), 0);
  ime_dec_hzfreq2(entry);
  EXPECT_EQ(item()->freq & QAFREQ_COUNT_MAX, 21000u);
  ime_inc_hzfreq2(entry);
  EXPECT_EQ(item()->freq & QAFREQ_COUNT_MAX, 21001u);
  EXPECT_EQ(item()->used, used + 2);
}

TEST_F(UserWordCounters, DeletingRemovesTheUserWordAndAStaleCandidateTouchesNothing) {
  ime_query_result_t word = user_word();
  EXPECT_EQ(ime_delete_user_phrase(&word), 0);
  EXPECT_TRUE(ime_udb_items().empty());
  // The list entry still names the removed phrase; its count must not be written.
  ime_inc_hzfreq(&word);
  ime_set_hzfreq(&word, 5);
  EXPECT_EQ(ime_delete_user_phrase(&word), -1);
}

}  // namespace
}  // namespace table_test
