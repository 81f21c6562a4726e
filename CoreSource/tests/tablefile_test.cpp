#include "base/tablefile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine_test_support.h"

using namespace engine_test;

namespace {

bool all_bytes(const std::string& s, char c) {
  return s.find_first_not_of(c) == std::string::npos;
}

std::vector<std::string> folder_names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

TEST(CreateFile, KeepsOrRewritesByRequestedSize) {
  struct Case {
    const char* label;
    std::optional<std::size_t> existing;  // size of an existing file of 'x' bytes
    long long requested;
    std::size_t size_after;
    char content_after;
  };
  const Case cases[] = {
      {"missing file is created", std::nullopt, 480000, 480000, '\0'},
      {"same size is kept", 480000, 480000, 480000, 'x'},
      {"other size is rewritten", 960000, 480000, 480000, '\0'},
      {"negative size always rewrites", 100, -100, 100, '\0'},
      {"size 0 keeps any file", 100, 0, 100, 'x'},
      {"size 0 creates an empty file", std::nullopt, 0, 0, '\0'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir scratch;
    const fs::path file = scratch / "hzfreq.db";
    if (c.existing) write_file(file, std::string(*c.existing, 'x'));
    ASSERT_EQ(ime_create_file(file.c_str(), c.requested), 0);
    std::string contents = read_file(file);
    EXPECT_EQ(contents.size(), c.size_after);
    EXPECT_TRUE(all_bytes(contents, c.content_after));
    EXPECT_EQ(folder_names(scratch.path()), std::vector<std::string>{"hzfreq.db"});
  }
}

TEST(CreateFile, FailsInAMissingFolder) {
  TempDir scratch;
  LogCapture log;
  EXPECT_EQ(ime_create_file((scratch / "no/such/file").c_str(), 10), -1);
  ASSERT_EQ(LogCapture::lines().size(), 1u);
  EXPECT_NE(LogCapture::lines()[0].find("Create file"), std::string::npos);
}

TEST(MmapRecord, MapsWholeFilesAndUnmaps) {
  TempDir scratch;
  const fs::path file = scratch / "pinyin.db";
  write_file(file, "abcdef");
  ime_mmap_t record{};
  ASSERT_EQ(ime_mmap(file.c_str(), &record, 1), 0);
  EXPECT_EQ(record.length, 6);
  EXPECT_GT(record.fd, 2);
  EXPECT_STREQ(record.path, file.c_str());
  ASSERT_NE(record.address, nullptr);
  EXPECT_EQ(std::memcmp(record.address, "abcdef", 6), 0);
  static_cast<char*>(record.address)[0] = 'Z';
  EXPECT_EQ(ime_munmap(&record), 0);
  EXPECT_EQ(record.address, nullptr);
  EXPECT_EQ(record.length, 0);
  EXPECT_EQ(record.fd, 0);
  EXPECT_EQ(read_file(file), "Zbcdef");
  EXPECT_EQ(ime_munmap(&record), 0);  // twice is harmless
}

TEST(MmapRecord, FailuresAreReported) {
  TempDir scratch;
  LogCapture log;
  write_file(scratch / "empty", "");
  ime_mmap_t record{};
  EXPECT_EQ(ime_mmap((scratch / "empty").c_str(), &record, 0), -1);
  EXPECT_EQ(ime_mmap((scratch / "missing").c_str(), &record, 0), -1);
  EXPECT_EQ(ime_mmap(scratch.path().c_str(), &record, 0), -1);
  EXPECT_EQ(record.address, nullptr);
  ASSERT_EQ(LogCapture::lines().size(), 3u);
  EXPECT_NE(LogCapture::lines()[0].find("Map file"), std::string::npos);
  EXPECT_NE(LogCapture::lines()[1].find("Stat file"), std::string::npos);
}

class CachedPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCachedFilePool(); }
  void TearDown() override { CloseCachedFilePool(); }
  TempDir scratch_;
};

TEST_F(CachedPoolTest, ReusesRewindsAndReopensByMode) {
  const fs::path file = scratch_ / "main.inx";
  write_file(file, "0123456789");
  QAMMap* first = ime_cached_pool_open(file.c_str(), QAMMAP_READ_ONLY);
  ASSERT_NE(first, nullptr);
  char buffer[4];
  EXPECT_EQ(QAMMapRead(buffer, 1, 4, first), 4u);
  QAMMap* again = ime_cached_pool_open(file.c_str(), QAMMAP_READ_ONLY);
  EXPECT_EQ(again, first);
  EXPECT_EQ(QAMMapTell(again), 0);
  EXPECT_EQ(_cached_pool[0], first);

  QAMMap* writer = ime_cached_pool_open(file.c_str(), QAMMAP_READ_WRITE);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->mode, QAMMAP_READ_WRITE);
  EXPECT_EQ(_cached_pool[0], writer);
  EXPECT_EQ(_cached_pool[1], nullptr);
}

TEST_F(CachedPoolTest, FullPoolYieldsNoFileAndCloseEmptiesIt) {
  for (int i = 0; i < IME_CACHED_POOL_SIZE; ++i) {
    const fs::path file = scratch_ / ("f" + std::to_string(i));
    write_file(file, "x");
    ASSERT_NE(ime_cached_pool_open(file.c_str(), QAMMAP_READ_ONLY), nullptr) << i;
  }
  write_file(scratch_ / "one-more", "x");
  EXPECT_EQ(ime_cached_pool_open((scratch_ / "one-more").c_str(), QAMMAP_READ_ONLY), nullptr);
  EXPECT_NE(ime_cached_pool_open((scratch_ / "f5").c_str(), QAMMAP_READ_ONLY), nullptr);

  CloseCachedFilePool();
  for (QAMMap* slot : _cached_pool) EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(ime_cached_pool_open((scratch_ / "missing").c_str(), QAMMAP_READ_ONLY), nullptr);
  EXPECT_EQ(_cached_pool[0], nullptr);
}

}  // namespace
