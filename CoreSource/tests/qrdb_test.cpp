// Result lists: codes, growth and resets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "qrdb.h"

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

}  // namespace
