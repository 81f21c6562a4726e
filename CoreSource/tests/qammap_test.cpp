#include "base/qammap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_support.h"

using namespace engine_test;

namespace {

// A 16-byte file holding the bytes 0..15.
class QAMMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string bytes;
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<char>(i));
    write_file(file_, bytes);
  }
  QAMMap* open(int writable) {
    QAMMap* handle = QAMMapOpen(file_.c_str(), writable);
    EXPECT_NE(handle, nullptr);
    return handle;
  }
  TempDir scratch_;
  fs::path file_ = scratch_ / "table.lib";
};

TEST_F(QAMMapTest, SeekClampsToTheFile) {
  QAMMap* h = open(0);
  ASSERT_NE(h, nullptr);
  struct Case {
    std::int64_t start, offset;
    int whence;
    std::int64_t result, position;
  };
  const Case cases[] = {
      {4, -5, 0, 0, 0},     {4, 10, 2, 16, 16}, {4, 3, 1, 7, 7},  {4, -9, 1, 0, 0},
      {4, -4, 2, 12, 12},   {4, 3, 3, -1, 4},   {4, 1, -1, -1, 4},
      {4, INT64_MAX, 1, 16, 16}, {4, INT64_MIN, 1, 0, 0},
  };
  for (const Case& c : cases) {
    h->position = c.start;
    EXPECT_EQ(QAMMapSeek(h, c.offset, c.whence), c.result) << c.offset << "/" << c.whence;
    EXPECT_EQ(QAMMapTell(h), c.position) << c.offset << "/" << c.whence;
  }
  QAMMapSeek(h, 0, 2);
  EXPECT_EQ(QAMMapEOF(h), 1);
  QAMMapSeek(h, -1, 2);
  EXPECT_EQ(QAMMapEOF(h), 0);
  QAMMapClose(h);
}

TEST_F(QAMMapTest, ReadsOnlyWholeItemsInsideTheFile) {
  QAMMap* h = open(0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(QAMMapSize(h), 16);
  unsigned char buffer[12];
  QAMMapSeek(h, -8, 2);
  EXPECT_EQ(QAMMapRead(buffer, 4, 3, h), 2u);
  EXPECT_EQ(QAMMapTell(h), 16);
  EXPECT_EQ(buffer[0], 8);
  EXPECT_EQ(buffer[7], 15);
  EXPECT_EQ(QAMMapEOF(h), 1);
  EXPECT_EQ(QAMMapRead(buffer, 1, 1, h), 0u);

  QAMMapSeek(h, 14, 0);
  EXPECT_EQ(QAMMapRead(buffer, 4, 1, h), 0u);
  EXPECT_EQ(QAMMapTell(h), 14);
  EXPECT_EQ(QAMMapRead(buffer, 0, 5, h), 0u);
  QAMMapClose(h);
}

TEST_F(QAMMapTest, WritesItemsThatEndAtOrBeforeTheEnd) {
  const std::uint32_t marker = 0xA1B2C3D4;
  struct Case {
    std::int64_t from_end;
    std::size_t items;
    std::size_t written;
  };
  const Case cases[] = {
      {4, 1, 1},  // ends exactly at the end of the file
      {5, 1, 1},
      {3, 1, 0},
      {6, 2, 1},
      {8, 2, 2},
  };
  for (const Case& c : cases) {
    SetUp();
    QAMMap* h = open(1);
    ASSERT_NE(h, nullptr);
    std::uint32_t data[2] = {marker, marker};
    QAMMapSeek(h, -c.from_end, 2);
    EXPECT_EQ(QAMMapWrite(data, 4, c.items, h), c.written) << c.from_end;
    EXPECT_EQ(QAMMapTell(h), 16 - c.from_end + static_cast<std::int64_t>(4 * c.written));
    QAMMapClose(h);

    std::string after = read_file(file_);
    ASSERT_EQ(after.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) {
      std::size_t start = 16 - c.from_end;
      bool overwritten = i >= start && i < start + 4 * c.written;
      unsigned char expected = overwritten
          ? reinterpret_cast<const unsigned char*>(&marker)[(i - start) % 4]
          : static_cast<unsigned char>(i);
      EXPECT_EQ(static_cast<unsigned char>(after[i]), expected) << c.from_end << " byte " << i;
    }
  }
}

TEST_F(QAMMapTest, ReadOnlyHandleWritesNothing) {
  QAMMap* h = open(0);
  ASSERT_NE(h, nullptr);
  const char data[4] = {9, 9, 9, 9};
  EXPECT_EQ(QAMMapWrite(data, 4, 1, h), 0u);
  EXPECT_EQ(QAMMapTell(h), 0);
  QAMMapClose(h);
  EXPECT_EQ(read_file(file_)[0], 0);
}

TEST_F(QAMMapTest, ReadBufferAtStaysInsideTheBuffer) {
  QAMMap* h = open(0);
  ASSERT_NE(h, nullptr);
  struct Case {
    std::int64_t position;
    std::size_t length;
    std::size_t copied;
  };
  const Case cases[] = {
      {0, 5, 4},    // the zero takes the fifth byte
      {14, 10, 2},  // only two bytes are left
      {16, 4, 0},
      {17, 4, 0},
      {-1, 4, 0},
      {0, 1, 0},
  };
  for (const Case& c : cases) {
    unsigned char buffer[16];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(QAMMapReadBufferAt(h, c.position, buffer, c.length), c.copied) << c.position;
    for (std::size_t i = 0; i < c.copied; ++i) EXPECT_EQ(buffer[i], c.position + i);
    EXPECT_EQ(buffer[c.copied], 0) << c.position;
    for (std::size_t i = c.length; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
  }
  unsigned char untouched = 0xEE;
  EXPECT_EQ(QAMMapReadBufferAt(h, 0, &untouched, 0), 0u);
  EXPECT_EQ(untouched, 0xEE);
  EXPECT_EQ(QAMMapTell(h), 0);
  QAMMapClose(h);
}

TEST_F(QAMMapTest, ReadsValuesAtPositions) {
  QAMMap* h = open(0);
  ASSERT_NE(h, nullptr);
  std::uint32_t expected32;
  const unsigned char tail[4] = {12, 13, 14, 15};
  std::memcpy(&expected32, tail, 4);
  EXPECT_EQ(QAMMapReadUInt32At(h, 12), expected32);
  EXPECT_EQ(QAMMapReadUInt32At(h, 13), 0u);
  EXPECT_EQ(QAMMapReadUInt16At(h, 15), 0u);
  EXPECT_EQ(QAMMapReadUInt8At(h, 15), 15u);
  EXPECT_EQ(QAMMapReadUInt8At(h, 16), 0u);
  EXPECT_EQ(QAMMapReadUInt8At(h, -1), 0u);
  EXPECT_EQ(QAMMapReadUInt16At(nullptr, 0), 0u);
  QAMMapClose(h);
}

TEST_F(QAMMapTest, NullAndUnmappableFiles) {
  char buffer[4];
  EXPECT_EQ(QAMMapTell(nullptr), -1);
  EXPECT_EQ(QAMMapSize(nullptr), -1);
  EXPECT_EQ(QAMMapEOF(nullptr), 1);
  EXPECT_EQ(QAMMapSeek(nullptr, 0, 0), -1);
  EXPECT_EQ(QAMMapRead(buffer, 1, 4, nullptr), 0u);
  EXPECT_EQ(QAMMapWrite(buffer, 1, 4, nullptr), 0u);
  QAMMapClose(nullptr);

  write_file(scratch_ / "empty", "");
  EXPECT_EQ(QAMMapOpen((scratch_ / "empty").c_str(), 0), nullptr);
  EXPECT_EQ(QAMMapOpen((scratch_ / "missing").c_str(), 0), nullptr);
  EXPECT_EQ(QAMMapOpen(std::string(600, 'a').c_str(), 0), nullptr);
}

}  // namespace
