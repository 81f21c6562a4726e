// Counter files as several processes and a hostile or full file system meet them: links are
// refused, a replaced file is followed, and blocks are allocated before anything is mapped.
#include "base/counterfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "base/freq.h"
#include "engine_test_support.h"
#include "tables/hzfreq.h"

using namespace engine_test;

namespace {

constexpr int kRows = 1000;
constexpr long long kBytes = kRows * 4;

// Replaces `path` the way another program does: a complete new file renamed over it.
void replace_by_another_program(const fs::path& path, long long size) {
  const fs::path aside = path.string() + ".other";
  write_file(aside, std::string(static_cast<std::size_t>(size), '\0'));
  fs::rename(aside, path);
}

std::uint32_t u32_at(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8 |
         static_cast<unsigned char>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

class AllocationFails {
 public:
  AllocationFails() : saved_(ime_counter_allocate) {
    ime_counter_allocate = [](int, long long) { return ENOSPC; };
  }
  ~AllocationFails() { ime_counter_allocate = saved_; }

 private:
  int (*saved_)(int, long long);
};

TEST(CounterFile, PlantedLinksAreRefusedAndTheirTargetsUntouched) {
  struct Case {
    const char* what;
    const char* link_name;
    std::function<bool()> opens;
  } cases[] = {
      {"a dictionary's counters", "sys.freq",
       [] {
         QAFreq* freq = QAFreqOpen("sys", kRows, 0);
         QAFreqClose(freq);
         return freq != nullptr;
       }},
      {"a dictionary's counters started afresh", "sys.freq",
       [] {
         QAFreq* freq = QAFreqOpen("sys", kRows, 1);
         QAFreqClose(freq);
         return freq != nullptr;
       }},
      {"the lock", IME_COUNTER_LOCK_NAME,
       [] {
         QAFreq* freq = QAFreqOpen("sys", kRows, 0);
         QAFreqClose(freq);
         return freq != nullptr;
       }},
      {"the hanzi counters", "hzfreq.db",
       [] {
         int result = ime_load_hzfreq();
         ime_unload_hzfreq();
         return result == 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchHome home;
    LogCapture log;
    const fs::path target = home.home() / "not-the-engines";
    const std::string theirs(static_cast<std::size_t>(IME_HZFREQ_FILE_SIZE), 'T');
    write_file(target, theirs);
    fs::create_symlink(target, home.data_folder() / c.link_name);
    EXPECT_FALSE(c.opens());
    EXPECT_FALSE(LogCapture::lines().empty());
    EXPECT_TRUE(fs::is_symlink(home.data_folder() / c.link_name));
    EXPECT_EQ(read_file(target), theirs);
  }
}

// A newer program reset the counters while this one had them mapped: what is counted next must
// reach the file now on disk, not the deleted one.
TEST(CounterFile, AFileReplacedByAnotherProgramIsFollowed) {
  {
    ScratchHome home;
    QAFreq* freq = QAFreqOpen("sys", kRows, 0);
    ASSERT_NE(freq, nullptr);
    replace_by_another_program(home.data_folder() / "sys.freq", kBytes);
    QAFreqStoreValue(freq, 7, 0x01020304);
    EXPECT_EQ(QAFreqGetValue(freq, 7), 0x01020304u);
    QAFreqClose(freq);
    EXPECT_EQ(u32_at(read_file(home.data_folder() / "sys.freq"), 7 * 4), 0x01020304u);
  }
  {
    ScratchHome home;
    ASSERT_EQ(ime_load_hzfreq(), 0);
    replace_by_another_program(home.data_folder() / "hzfreq.db", IME_HZFREQ_FILE_SIZE);
    EXPECT_TRUE(ime_hzfreq_write(3, true, 42));
    EXPECT_EQ(ime_hzfreq_read(3, true), 42u);
    ime_unload_hzfreq();
    EXPECT_EQ(u32_at(read_file(home.data_folder() / "hzfreq.db"), 3 * 8 + 4), 42u);
  }
  {
    // A replacement that is no counter file of the right size is not followed; a fit one
    // after it is.
    ScratchHome home;
    const fs::path path = home.data_folder() / "sys.freq";
    QAFreq* freq = QAFreqOpen("sys", kRows, 0);
    ASSERT_NE(freq, nullptr);
    replace_by_another_program(path, kBytes - 4);
    QAFreqStoreValue(freq, 1, 5);
    EXPECT_EQ(QAFreqGetValue(freq, 1), 5u);
    replace_by_another_program(path, kBytes);
    QAFreqStoreValue(freq, 2, 6);
    EXPECT_EQ(QAFreqGetValue(freq, 1), 0u);
    QAFreqClose(freq);
    EXPECT_EQ(u32_at(read_file(path), 2 * 4), 6u);
  }
}

// A file with holes (an older program's, or one copied sparse) gets its blocks at the next
// start, so no later store can fault on a full disk.
TEST(CounterFile, AFileWithHolesGetsItsBlocks) {
  ScratchHome home;
  const fs::path path = home.data_folder() / "sys.freq";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, kBytes), 0);
  ::close(fd);
  QAFreq* freq = QAFreqOpen("sys", kRows, 0);
  ASSERT_NE(freq, nullptr);
  QAFreqClose(freq);
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, kBytes);
  EXPECT_GE(static_cast<long long>(st.st_blocks) * 512, kBytes);
}

TEST(CounterFile, NoBlocksForTheCountersMeansNoCounterFile) {
  struct Case {
    const char* what;
    long long existing;  // -1: none; else a file with holes of this size
    int recreate;
  } cases[] = {
      {"a new file", -1, 0},
      {"a file started afresh", kBytes, 1},
      {"a file resized", kBytes / 2, 0},
      {"a file with holes", kBytes, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchHome home;
    const fs::path path = home.data_folder() / "sys.freq";
    if (c.existing >= 0) {
      int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(::ftruncate(fd, c.existing), 0);
      ::close(fd);
    }
    AllocationFails full_disk;
    LogCapture log;
    EXPECT_EQ(QAFreqOpen("sys", kRows, c.recreate), nullptr);
    ASSERT_FALSE(LogCapture::lines().empty());
    EXPECT_NE(LogCapture::lines()[0].find(std::strerror(ENOSPC)), std::string::npos)
        << LogCapture::lines()[0];
    EXPECT_EQ(fs::exists(path), c.existing >= 0);
    if (c.existing >= 0) {
      EXPECT_EQ(static_cast<long long>(fs::file_size(path)), c.existing);
    }
    // Nothing half-made is left beside it.
    for (const auto& entry : fs::directory_iterator(home.data_folder())) {
      const std::string name = entry.path().filename();
      EXPECT_TRUE(name == "sys.freq" || name == IME_COUNTER_LOCK_NAME) << name;
    }
  }
}

TEST(CounterFile, TheLockIsSharedByNestedHoldersOfOneProcess) {
  ScratchHome home;
  IMECounterLock outer;
  ASSERT_TRUE(outer.held());
  {
    IMECounterLock inner;  // would wait for ever on a second flock of its own
    EXPECT_TRUE(inner.held());
  }
  // Still held by `outer`: another process cannot take it.
  int fd = ::open((home.data_folder() / IME_COUNTER_LOCK_NAME).c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
  ::close(fd);
}

}  // namespace
