#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/span_memo.h"

namespace {

using namespace sentence;

class SpanMemoTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearPyRc(); }
  void TearDown() override { ClearPyRc(); }
  static bool all_clear() {
    for (unsigned char byte : PyRc) {
      if (byte != 0) return false;
    }
    return true;
  }
};

TEST_F(SpanMemoTest, AMarkedSpanTestsMarkedInItsOwnMaskOnly) {
  EXPECT_EQ(IfChkedPyRc(3, 5, 1), 0);
  EXPECT_EQ(IfChkedPyRc(3, 5, 0), 0);
  EXPECT_EQ(IfChkedPyRc(3, 5, 1), 1);
  EXPECT_EQ(IfChkedPyRc(3, 5, 3), 0);
  EXPECT_EQ(IfChkedPyRc(3, 5, 5), 0);
  // Other spans over the same items carry other bits.
  EXPECT_EQ(IfChkedPyRc(3, 4, 1), 0);
  EXPECT_EQ(IfChkedPyRc(4, 6, 1), 0);
  EXPECT_EQ(IfChkedPyRc(2, 5, 1), 0);
  EXPECT_EQ(IfChkedPyRc(4, 5, 4), 0);
  EXPECT_EQ(IfChkedPyRc(4, 5, 5), 1);
  EXPECT_EQ(IfChkedPyRc(4, 5, 1), 0);
}

TEST_F(SpanMemoTest, EachSpanLengthAndPositionHasItsBit) {
  int expected_bit = 5;
  for (int length = 2; length <= 7; ++length) {
    ClearPyRc();
    const int first = 100;
    IfChkedPyRc(first, first + length - 1, 2);
    for (int position = 1; position <= length; ++position) {
      const int item = first + position - 1;
      EXPECT_EQ(PyRcMask(item, 1), std::uint32_t{1} << expected_bit) << length << "/" << position;
      EXPECT_EQ(PyRcMask(item, 0), 0u);
      EXPECT_EQ(PyRcMask(item, 2), 0u);
      ++expected_bit;
    }
    EXPECT_EQ(PyRcMask(first - 1, 1), 0u);
    EXPECT_EQ(PyRcMask(first + length, 1), 0u);
  }
  EXPECT_EQ(expected_bit, 32);  // the spans use bits 5 to 31 exactly
}

TEST_F(SpanMemoTest, MasksAreLittleEndianAndLeaveTheTextAndLowBits) {
  unsigned char* record = PyRc + 9 * kPyRcRecordSize;
  std::memcpy(record, "zhuang", 7);
  record[7 + 4] = 0x1F;  // bits 0-4 of mask 1 belong to the front end
  record[19] = 0xAB;
  // Bits the memo does not own never answer for a span.
  EXPECT_EQ(IfChkedPyRc(8, 9, 3), 0);
  IfChkedPyRc(3, 9, 2);  // item 9 is position 7 of a 7-item span: bit 31
  EXPECT_STREQ(reinterpret_cast<const char*>(record), "zhuang");
  EXPECT_EQ(record[7 + 4], 0x1F);
  EXPECT_EQ(record[7 + 7], 0x80);
  EXPECT_EQ(record[19], 0xAB);
  EXPECT_EQ(PyRcMask(9, 1), 0x8000001Fu);
}

TEST_F(SpanMemoTest, SpansOutsideTheMemoAreNeverMarked) {
  struct Case {
    int first;
    int last;
    int type;
  } cases[] = {{3, 3, 0}, {0, 7, 0},     {5, 4, 0},   {-1, 2, 0}, {257, 260, 0},
               {3, 5, 6}, {3, 5, -1},    {258, 400, 2}, {-3, -1, 4}};
  for (const auto& c : cases) {
    EXPECT_EQ(IfChkedPyRc(c.first, c.last, c.type), 0) << c.first << ".." << c.last;
    EXPECT_TRUE(all_clear()) << c.first << ".." << c.last;
    EXPECT_EQ(IfChkedPyRc(c.first, c.last, c.type | 1), 0) << c.first << ".." << c.last;
  }
  // The last items of the table take a full span.
  IfChkedPyRc(253, 259, 4);
  EXPECT_EQ(IfChkedPyRc(253, 259, 5), 1);
  EXPECT_EQ(PyRcMask(259, 2), 0x80000000u);
}

TEST_F(SpanMemoTest, ClearingForgetsEveryMark) {
  IfChkedPyRc(0, 6, 0);
  IfChkedPyRc(10, 11, 4);
  ClearPyRc();
  EXPECT_TRUE(all_clear());
  EXPECT_EQ(IfChkedPyRc(0, 6, 1), 0);
  EXPECT_EQ(IfChkedPyRc(10, 11, 5), 0);
}

}  // namespace
