// Result lists: codes, growth and resets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "record/engine_globals.h"
#include "record/qrdb.h"

namespace {

class Lists : public ::testing::Test {
 protected:
  void SetUp() override {
    conversation_ = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
    ASSERT_EQ(ime_qrdb_init_all(conversation_), 0);
  }
  void TearDown() override {
    ime_qrdb_free_all(conversation_);
    std::free(conversation_);
  }
  ime_conversation_t* conversation_ = nullptr;
};

TEST_F(Lists, OnlyTheSevenListCodesExist) {
  ime_qrdb_entry_t entry{};
  for (int code : {1, 2, 3, 5, 6, 7, 8}) {
    EXPECT_EQ(ime_qrdb_count(conversation_, code), 0) << code;
    EXPECT_EQ(ime_qrdb_add(conversation_, code, &entry), 1) << code;
  }
  for (int code : {0, 4, 9, 255, -1}) {
    EXPECT_EQ(ime_qrdb_count(conversation_, code), -1) << code;
    EXPECT_EQ(ime_qrdb_add(conversation_, code, &entry), -1) << code;
    EXPECT_EQ(ime_qrdb_db(conversation_, code), nullptr) << code;
  }
}

TEST_F(Lists, GrowPastTheirFirstCapacityKeepingOrder) {
  for (int i = 0; i < 300; ++i) {
    ime_qrdb_entry_t entry{};
    entry.index = i;
    ASSERT_EQ(ime_qrdb_add(conversation_, 3, &entry), i + 1);
  }
  for (int i = 0; i < 300; ++i) {
    ime_qrdb_entry_t* entry = nullptr;
    ASSERT_EQ(ime_qrdb_get_lazy(conversation_, 3, i, &entry), 0);
    EXPECT_EQ(entry->index, i);
  }
  ime_qrdb_entry_t* entry = nullptr;
  EXPECT_EQ(ime_qrdb_get_lazy(conversation_, 3, 300, &entry), -2);
  EXPECT_EQ(ime_qrdb_get_lazy(conversation_, 3, -1, &entry), -2);
  EXPECT_EQ(ime_qrdb_get_lazy(conversation_, 4, 0, &entry), -1);
}

TEST_F(Lists, ResetEmptiesOneListOrAll) {
  ime_qrdb_entry_t entry{};
  ime_qrdb_add(conversation_, 1, &entry);
  ime_qrdb_add(conversation_, 2, &entry);
  EXPECT_EQ(ime_qrdb_reset(conversation_, 1), 0);
  EXPECT_EQ(ime_qrdb_count(conversation_, 1), 0);
  EXPECT_EQ(ime_qrdb_count(conversation_, 2), 1);
  EXPECT_EQ(ime_qrdb_reset(conversation_, IME_QRDB_ALL), 0);
  EXPECT_EQ(ime_qrdb_count(conversation_, 2), 0);
  EXPECT_EQ(ime_qrdb_reset(conversation_, 4), -1);
}

ime_qrdb_entry_t entry_of(int type, int plen, std::int32_t matval, std::int32_t freq, int id) {
  ime_qrdb_entry_t entry{};
  entry.type = static_cast<std::uint8_t>(type);
  entry.plen = static_cast<std::uint8_t>(plen);
  entry.matval = matval;
  entry.freq = freq;
  entry.index = id;
  return entry;
}

// The engine-wide switches the sort reads, restored after each test.
class Sorting : public Lists {
 protected:
  void TearDown() override {
    ime_mode = saved_mode_;
    ime_plug_mode = saved_plug_;
    ime_fill_count = saved_fill_;
    ime_current_pynum = saved_pynum_;
    Lists::TearDown();
  }
  // The ids of list `code` in order after sorting.
  std::vector<int> sorted(const std::vector<ime_qrdb_entry_t>& entries, int code = 1) {
    ime_qrdb_reset(conversation_, code);
    for (const ime_qrdb_entry_t& entry : entries) ime_qrdb_add(conversation_, code, &entry);
    EXPECT_EQ(ime_qrdb_sort(conversation_, code), 0);
    std::vector<int> ids;
    for (int i = 0; i < ime_qrdb_count(conversation_, code); ++i) {
      ime_qrdb_entry_t* entry = nullptr;
      ime_qrdb_get_lazy(conversation_, code, i, &entry);
      ids.push_back(entry->index);
    }
    return ids;
  }

  int saved_mode_ = ime_mode;
  int saved_plug_ = ime_plug_mode;
  int saved_fill_ = ime_fill_count;
  int saved_pynum_ = ime_current_pynum;
};

TEST_F(Sorting, PutsResultsFirstThenLongerThenStrongerEntries) {
  ime_mode = 0;
  ime_fill_count = 0;
  // type, syllables, matval, freq, id
  std::vector<ime_qrdb_entry_t> entries = {
      entry_of(1, 1, 900, 5, 1),  entry_of(2, 2, 10, 1, 2),  entry_of(2, 2, 50, 1, 3),
      entry_of(6, 0, -2, 0, 4),   entry_of(3, 3, 1, 1, 5),   entry_of(2, 2, 50, 9, 6),
      entry_of(1, 1, 900, 5, 7),
  };
  // The type-6 result first; three syllables before two before one; then matval, then freq;
  // the two equal single hanzi keep their order.
  EXPECT_EQ(sorted(entries), (std::vector<int>{4, 5, 6, 3, 2, 1, 7}));
  EXPECT_EQ(ime_qrdb_sort(conversation_, 4), -1);
}

TEST_F(Sorting, ExtendedSearchPutsWordsCoveringTheRestBeforeLongerOnes) {
  ime_mode = 0;
  ime_fill_count = 1;
  ime_current_pynum = 2;  // three syllables remain
  std::vector<ime_qrdb_entry_t> entries = {entry_of(2, 2, 99, 0, 2), entry_of(2, 4, 1, 0, 4),
                                           entry_of(2, 3, 1, 0, 3), entry_of(2, 5, 1, 0, 5)};
  EXPECT_EQ(sorted(entries), (std::vector<int>{3, 5, 4, 2}));
  ime_fill_count = 0;
  EXPECT_EQ(sorted(entries), (std::vector<int>{5, 4, 3, 2}));
}

TEST_F(Sorting, CodeTableOrderIsByFrequencyAloneUntilItFallsBackToPinyin) {
  std::vector<ime_qrdb_entry_t> entries = {entry_of(2, 1, 9, 10, 1), entry_of(6, 0, -2, 30, 2),
                                           entry_of(2, 4, 1, 20, 3)};
  ime_mode = 2;
  ime_plug_mode = 0;
  EXPECT_EQ(sorted(entries), (std::vector<int>{2, 3, 1}));
  ime_plug_mode = 1;
  ime_fill_count = 0;
  EXPECT_EQ(sorted(entries), (std::vector<int>{2, 3, 1}));
  entries[1].type = 2;
  entries[1].plen = 1;
  EXPECT_EQ(sorted(entries), (std::vector<int>{3, 1, 2}));
}

TEST_F(Lists, CopyAppendsAnotherListOrItself) {
  for (int i = 0; i < 100; ++i) {
    ime_qrdb_entry_t entry = entry_of(2, 2, 0, 0, i);
    ime_qrdb_add(conversation_, 1, &entry);
    ime_qrdb_add(conversation_, 2, &entry);
  }
  EXPECT_EQ(ime_qrdb_copy(conversation_, 7, 1), 0);
  EXPECT_EQ(ime_qrdb_copy(conversation_, 1, 1), 0);
  EXPECT_EQ(ime_qrdb_copy(conversation_, 1, 2), 0);
  EXPECT_EQ(ime_qrdb_count(conversation_, 7), 100);
  ASSERT_EQ(ime_qrdb_count(conversation_, 1), 300);
  for (int i = 0; i < 300; ++i) {
    ime_qrdb_entry_t* entry = nullptr;
    ASSERT_EQ(ime_qrdb_get_lazy(conversation_, 1, i, &entry), 0);
    EXPECT_EQ(entry->index, i % 100);
  }
  EXPECT_EQ(ime_qrdb_copy(conversation_, 4, 1), -1);
  EXPECT_EQ(ime_qrdb_copy(conversation_, 1, 0), -1);
}

TEST_F(Lists, ResultObjectsAreCopiedInAndLoadedBack) {
  ime_query_result_t result{};
  result.type = IME_RESULT_SENTENCE;
  std::strcpy(reinterpret_cast<char*>(result.hz), "中国");
  result.hlen = 6;
  result.freq = 77;
  result.matval = 0x80000005u;
  result.plen = 2;
  result.lazy = &result;
  EXPECT_EQ(ime_qrdb_add_result(conversation_, 3, &result), 1);
  EXPECT_EQ(ime_qrdb_add_result2(conversation_, 3, &result), 2);
  EXPECT_EQ(ime_qrdb_add_result(conversation_, 4, &result), -1);

  ime_qrdb_entry_t* plain = nullptr;
  ime_qrdb_entry_t* ranked = nullptr;
  ime_qrdb_get_lazy(conversation_, 3, 0, &plain);
  ime_qrdb_get_lazy(conversation_, 3, 1, &ranked);
  EXPECT_EQ(plain->type, IME_RESULT_OTHER);
  EXPECT_EQ(plain->freq, 0);
  EXPECT_EQ(plain->matval, -2);
  EXPECT_EQ(plain->plen, 0);
  EXPECT_EQ(ranked->freq, 77);
  EXPECT_EQ(ranked->matval, 5);  // top bit cleared
  EXPECT_EQ(ranked->plen, 2);
  EXPECT_EQ(ranked->index, 1);

  // The stored copy is independent of the caller's record and has no lazy pointer.
  std::strcpy(reinterpret_cast<char*>(result.hz), "xx");
  ime_query_result_t loaded{};
  ASSERT_EQ(ime_qrdb_get(conversation_, 3, 1, &loaded), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(loaded.hz), "中国");
  EXPECT_EQ(loaded.type, IME_RESULT_SENTENCE);
  EXPECT_EQ(loaded.lazy, nullptr);

  // Resetting one list keeps the objects; resetting all drops them, and an entry that still
  // points at one (copied out before) is refused rather than read.
  ime_qrdb_entry_t stale = *ranked;
  EXPECT_EQ(ime_qrdb_reset(conversation_, 3), 0);
  EXPECT_EQ(conversation_->results->items.size(), 2u);
  EXPECT_EQ(ime_qrdb_reset(conversation_, IME_QRDB_ALL), 0);
  EXPECT_TRUE(conversation_->results->items.empty());
  ime_qrdb_add(conversation_, 3, &stale);
  EXPECT_EQ(ime_qrdb_get(conversation_, 3, 0, &loaded), -1);
}

TEST_F(Lists, GetRefusesBadCodesIndexesAndTypes) {
  ime_query_result_t out{};
  EXPECT_EQ(ime_qrdb_get(conversation_, 4, 0, &out), -1);
  EXPECT_EQ(ime_qrdb_get(conversation_, 3, 0, &out), -1);
  for (int type : {0, 5, 7, 200}) {
    ime_qrdb_entry_t entry = entry_of(type, 1, 0, 0, 0);
    ime_qrdb_reset(conversation_, 3);
    ime_qrdb_add(conversation_, 3, &entry);
    EXPECT_EQ(ime_qrdb_get(conversation_, 3, 0, &out), -2) << type;
  }
  // A single hanzi whose table is not loaded cannot be read.
  ime_qrdb_entry_t hanzi = entry_of(IME_RESULT_HANZI, 1, 0, 0, 0);
  ime_qrdb_reset(conversation_, 3);
  ime_qrdb_add(conversation_, 3, &hanzi);
  EXPECT_EQ(ime_qrdb_get(conversation_, 3, 0, &out), -1);
}

TEST(ToneText, OneCharacterPerToneBounded) {
  const std::uint8_t tones[] = {0, 1, 4, 9, 10, 15, 16, 255};
  EXPECT_STREQ(ime_tone_str(tones, 8), "0149af00");
  EXPECT_STREQ(ime_tone_str(tones, 0), "");
  EXPECT_STREQ(ime_tone_str(tones, -4), "");
  std::uint8_t many[IME_MAX_SYLLABLES + 20] = {};
  many[IME_MAX_SYLLABLES - 1] = 3;
  EXPECT_EQ(std::strlen(ime_tone_str(many, IME_MAX_SYLLABLES + 20)), std::size_t{IME_MAX_SYLLABLES});
}

}  // namespace
