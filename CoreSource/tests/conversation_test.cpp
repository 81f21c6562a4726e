// The conversation record: its empty state and the bounds every array of it keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_support.h"
#include "record/conversation.h"
#include "record/qrdb.h"

namespace {

class Conversation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ime_new_conversation(&c_), 0); }
  void TearDown() override { ime_free_conversation(&c_); }

  // Types `keys` at the cursor.
  void type(const std::string& keys) {
    for (char key : keys) ASSERT_EQ(ime_convs_insert_key(c_, key), 0);
  }
  // Splits the keys as if into `count` syllables "ba".
  void split_into(int count) {
    for (int i = 0; i < count; ++i) ime_convs_set_syllable(c_, i, "ba", nullptr);
    c_->pynum = static_cast<std::uint16_t>(count - 1);
  }

  engine_test::ScratchHome home_;
  ime_conversation_t* c_ = nullptr;
};

TEST_F(Conversation, StartsEmptyAndNotSplitWithItsListsMade) {
  EXPECT_EQ(c_->pynum, IME_PY_NOT_SPLIT);
  EXPECT_EQ(c_->dpos, IME_NO_DPOS);
  EXPECT_EQ(c_->inoff, 0);
  EXPECT_FALSE(ime_convs_is_split(c_));
  EXPECT_EQ(ime_convs_syllable_count(c_), 0);
  for (int code : {1, 2, 3, 5, 6, 7, 8}) EXPECT_EQ(ime_qrdb_count(c_, code), 0) << code;
  ASSERT_NE(c_->results, nullptr);
  ASSERT_NE(c_->seen, nullptr);
  ASSERT_NE(c_->shown, nullptr);

  // One syllable is pynum 0.
  split_into(1);
  EXPECT_EQ(ime_convs_syllable_count(c_), 1);
  ime_free_conversation(&c_);
  EXPECT_EQ(c_, nullptr);
  EXPECT_EQ(ime_free_conversation(&c_), 0);
}

TEST_F(Conversation, HoldsAtMost256KeysAndTheCursorReachesPastTheLast) {
  type(std::string(IME_MAX_KEYS, 'b'));
  EXPECT_EQ(c_->inoff, IME_MAX_KEYS);
  EXPECT_EQ(c_->curpos, IME_MAX_KEYS);
  EXPECT_EQ(ime_convs_insert_key(c_, 'a'), -1);
  EXPECT_EQ(c_->inoff, IME_MAX_KEYS);

  EXPECT_EQ(ime_convs_set_cursor(c_, 0), 0);
  EXPECT_EQ(ime_convs_set_cursor(c_, IME_MAX_KEYS), IME_MAX_KEYS);
  EXPECT_EQ(ime_convs_set_cursor(c_, IME_MAX_KEYS + 40), IME_MAX_KEYS);
  EXPECT_EQ(ime_convs_set_cursor(c_, -3), 0);

  // From the cursor at 256 the last key can be deleted, and the freed slot typed again.
  ime_convs_set_cursor(c_, IME_MAX_KEYS);
  EXPECT_EQ(ime_convs_delete_key_at(c_), -1);
  EXPECT_EQ(ime_convs_delete_key_before(c_), 0);
  EXPECT_EQ(c_->inoff, IME_MAX_KEYS - 1);
  EXPECT_EQ(c_->curpos, IME_MAX_KEYS - 1);
  EXPECT_EQ(ime_convs_insert_key(c_, 'z'), 0);
  EXPECT_EQ(c_->inbuf[IME_MAX_KEYS - 1], 'z');
  EXPECT_EQ(c_->curpos, IME_MAX_KEYS);
}

TEST_F(Conversation, EditsKeysAtTheCursor) {
  struct Case {
    const char* typed;
    int cursor;
    char op;  // 'i' insert 'x', 'b' delete before, 'd' delete at
    int result;
    const char* keys;
    int cursor_after;
  } cases[] = {
      {"abc", 1, 'i', 0, "axbc", 2},  {"abc", 0, 'i', 0, "xabc", 1}, {"abc", 3, 'i', 0, "abcx", 4},
      {"abc", 1, 'b', 0, "bc", 0},    {"abc", 0, 'b', -1, "abc", 0}, {"abc", 1, 'd', 0, "ac", 1},
      {"abc", 3, 'd', -1, "abc", 3},  {"", 0, 'b', -1, "", 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(std::string(k.typed) + " at " + std::to_string(k.cursor) + " op " + k.op);
    std::memset(c_->inbuf, 0, sizeof c_->inbuf);
    c_->inoff = 0;
    c_->curpos = 0;
    type(k.typed);
    ime_convs_set_cursor(c_, k.cursor);
    int result = k.op == 'i' ? ime_convs_insert_key(c_, 'x')
                 : k.op == 'b' ? ime_convs_delete_key_before(c_)
                               : ime_convs_delete_key_at(c_);
    EXPECT_EQ(result, k.result);
    EXPECT_EQ(std::string(c_->inbuf, c_->inoff), k.keys);
    EXPECT_EQ(c_->curpos, k.cursor_after);
  }
}

TEST_F(Conversation, FixedArraysRefuseTheEntryPastTheirEnd) {
  for (int i = 0; i < IME_MAX_ACCESSORY_KEYS; ++i) ASSERT_EQ(ime_convs_add_accessory_key(c_, 'a'), 0);
  EXPECT_EQ(ime_convs_add_accessory_key(c_, 'a'), -1);
  EXPECT_EQ(c_->acclen, IME_MAX_ACCESSORY_KEYS);

  ime_query_result_t segment{};
  for (int i = 0; i < IME_MAX_SEGMENTS; ++i) {
    segment.index = static_cast<std::uint32_t>(i);
    ASSERT_EQ(ime_convs_add_segment(c_, &segment), 0);
  }
  EXPECT_EQ(ime_convs_add_segment(c_, &segment), -1);
  EXPECT_EQ(c_->nseg, IME_MAX_SEGMENTS);
  EXPECT_EQ(c_->segs[IME_MAX_SEGMENTS - 1].index, 59u);

  EXPECT_EQ(ime_convs_set_syllable(c_, IME_MAX_SYLLABLES - 1, "zhuang", "zhuang"), 0);
  EXPECT_EQ(ime_convs_set_syllable(c_, IME_MAX_SYLLABLES, "a", nullptr), -1);
  EXPECT_EQ(ime_convs_set_syllable(c_, -1, "a", nullptr), -1);
  // A longer text is cut to the six letters a syllable slot holds, NUL kept.
  EXPECT_EQ(ime_convs_set_syllable(c_, 0, "abcdefgh", "xyz"), 0);
  EXPECT_STREQ(c_->py[0], "abcdef");
  EXPECT_STREQ(c_->rpy[0], "xyz");

  std::string long_text(IME_OUTPUT_BYTES + 1, 'x');
  EXPECT_EQ(ime_convs_set_output(c_, long_text.data(), long_text.size()), -1);
  EXPECT_EQ(c_->outlen, 0);
  EXPECT_EQ(ime_convs_set_output(c_, long_text.data(), IME_OUTPUT_BYTES), 0);
  EXPECT_EQ(c_->outlen, IME_OUTPUT_BYTES);
}

TEST_F(Conversation, APageHoldsNoMoreThanNineCandidatesWhateverThePageSize) {
  struct Case {
    int page_size;
    int holds;
  } cases[] = {{6, 6}, {9, 9}, {10, 9}, {100, 9}, {0, 1}, {-5, 1}};
  ime_query_result_t candidate{};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.page_size);
    c_->ncand = 0;
    EXPECT_EQ(ime_convs_page_capacity(k.page_size), k.holds);
    int added = 0;
    while (ime_convs_add_candidate(c_, &candidate, k.page_size) == 0) ++added;
    EXPECT_EQ(added, k.holds);
    EXPECT_EQ(c_->ncand, k.holds);
  }
}

TEST_F(Conversation, ToneKeysCycleOnlyTheRemainingSyllables) {
  // Nothing split: nothing to give a tone, whether the record is fresh (pynum 0xFFFF) or
  // emptied with pynum 0 and no keys.
  EXPECT_EQ(ime_convs_cycle_tone(c_, 0), -1);
  c_->pynum = 0;
  EXPECT_EQ(ime_convs_cycle_tone(c_, 0), -1);
  type("xian");
  c_->pynum = IME_PY_NOT_SPLIT;
  EXPECT_EQ(ime_convs_cycle_tone(c_, 0), -1);
  for (std::uint8_t tone : c_->tones) ASSERT_EQ(tone, 0);

  split_into(3);
  c_->pyoff = 1;  // one syllable chosen: tone key 0 is syllable 1
  for (int expected : {1, 2, 3, 4, 0, 1}) EXPECT_EQ(ime_convs_cycle_tone(c_, 0), expected);
  EXPECT_EQ(c_->tones[0], 0);
  EXPECT_EQ(c_->tones[1], 1);
  EXPECT_EQ(ime_convs_cycle_tone(c_, 1), 1);
  EXPECT_EQ(c_->tones[2], 1);
  EXPECT_EQ(ime_convs_cycle_tone(c_, 2), -1);  // beyond the remaining syllables
  EXPECT_EQ(ime_convs_cycle_tone(c_, -1), -1);

  c_->pyoff = 3;  // everything chosen
  EXPECT_EQ(ime_convs_cycle_tone(c_, 0), -1);
}

}  // namespace
