// The counter files at start-up when several programs start at once on a new data folder, when
// the data folder or its files were tampered with, and when the disk has no room for them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "CoreSource/base/counterfile.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/dict/qdict.h"
#include "table_fixture.h"
#include "writers/system_dictionary.h"

namespace table_test {
namespace {

void put_system_dictionary(const EngineRoot& root) {
  mkdata::DictionaryReport report;
  std::string error;
  ASSERT_TRUE(mkdata::write_system_dictionary({{{"zhong", "guo"}, "中国", "中國", 106588, "92"}},
                                              root.resources() / "system.dict", &report, &error))
      << error;
}

// Whether the file open as `fd` is the one `path` names now.
bool is_live(int fd, const fs::path& path) {
  struct stat mapped, named;
  return ::fstat(fd, &mapped) == 0 && ::stat(path.c_str(), &named) == 0 &&
         mapped.st_dev == named.st_dev && mapped.st_ino == named.st_ino;
}

enum ChildResult { kCounted = 0, kInitFailed, kPhraseFailed, kHanziCountersGone, kWordCountersGone };

// One program's first start: waits for the starting shot, starts, says so, waits until every
// program has started, then checks that its counter files are still the live ones and counts.
ChildResult start_and_count(int index, int shot, int started, int go, const fs::path& data) {
  char byte;
  while (::read(shot, &byte, 1) < 0 && errno == EINTR) {}
  if (ime_init() != 0) return kInitFailed;
  if (ime_load_phrase() != 0 || ime_dict_count < 1) return kPhraseFailed;
  ssize_t written = ::write(started, "s", 1);
  (void)written;
  while (::read(go, &byte, 1) < 0 && errno == EINTR) {}
  if (!is_live(ime_freq_info.fd, data / "hzfreq.db")) return kHanziCountersGone;
  if (!is_live(ime_dict_pool[0]->freq->fd, data / "system.freq")) return kWordCountersGone;
  ime_hzfreq_write(static_cast<std::uint32_t>(index), false, 100 + static_cast<std::uint32_t>(index));
  return kCounted;
}

TEST(StartupCounters, ProgramsStartingTogetherAllCountIntoTheLiveFiles) {
  constexpr int kPrograms = 16;
  EngineRoot root;
  root.put_tiny_tables();
  put_system_dictionary(root);
  int shot[2], started[2], go[2];
  ASSERT_EQ(::pipe(shot), 0);
  ASSERT_EQ(::pipe(started), 0);
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kPrograms; ++i) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(shot[1]);
      ::close(started[0]);
      ::close(go[1]);
      ::_exit(start_and_count(i, shot[0], started[1], go[0], root.data_folder()));
    }
    children.push_back(child);
  }
  ::close(shot[0]);
  ::close(started[1]);
  ::close(go[0]);
  ::close(shot[1]);  // every program starts now
  char byte;
  int ready = 0;
  while (ready < kPrograms && ::read(started[0], &byte, 1) == 1) ++ready;
  ::close(go[1]);  // all started (or failed): check and count
  ::close(started[0]);

  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kCounted) << "program " << child << "\n" << root.log_text();
  }
  EXPECT_EQ(ready, kPrograms);
  std::string counters = read_file(root.data_folder() / "hzfreq.db");
  ASSERT_EQ(counters.size(), static_cast<std::size_t>(IME_HZFREQ_FILE_SIZE));
  for (int i = 0; i < kPrograms; ++i) {
    EXPECT_EQ(static_cast<unsigned char>(counters[i * IME_HZFREQ_ROW_BYTES]), 100 + i) << "program " << i;
  }
}

TEST(StartupCounters, APlantedLinkStopsStartUpAndItsTargetIsUntouched) {
  for (const char* name : {"hzfreq.db", IME_COUNTER_LOCK_NAME}) {
    SCOPED_TRACE(name);
    EngineRoot root;
    root.put_tiny_tables();
    write_file(root.data_folder() / "hzdb.info", "tiny 1\n");
    const fs::path target = root.data_folder().parent_path() / "someone-elses";
    const std::string theirs(static_cast<std::size_t>(IME_HZFREQ_FILE_SIZE), 'T');
    write_file(target, theirs);
    fs::create_symlink(target, root.data_folder() / name);
    EXPECT_EQ(ime_init(), -1);
    EXPECT_NE(root.log_text().find("Load hz freq object failed!"), std::string::npos) << root.log_text();
    EXPECT_EQ(read_file(target), theirs);
    EXPECT_TRUE(fs::is_symlink(root.data_folder() / name));
  }
}

TEST(StartupCounters, NoRoomForTheCountersStopsStartUpCleanly) {
  EngineRoot root;
  root.put_tiny_tables();
  auto saved = ime_counter_allocate;
  ime_counter_allocate = [](int, long long) { return ENOSPC; };
  int result = ime_init();
  ime_counter_allocate = saved;
  EXPECT_EQ(result, -1);
  const std::string log = root.log_text();
  EXPECT_NE(log.find(std::strerror(ENOSPC)), std::string::npos) << log;
  EXPECT_NE(log.find("Load hz freq object failed!"), std::string::npos) << log;
  EXPECT_EQ(ime_freq_info.address, nullptr);
  EXPECT_FALSE(fs::exists(root.data_folder() / "hzfreq.db"));
  // With room again the next start gets through.
  EXPECT_EQ(ime_init(), 0) << root.log_text();
}

TEST(StartupCounters, ADataFolderOthersCanWriteToStopsStartUp) {
  EngineRoot root;
  root.put_tiny_tables();
  ASSERT_EQ(::chmod(root.data_folder().c_str(), 0777), 0);
  EXPECT_EQ(ime_init(), -1);
  EXPECT_NE(root.log_text().find("others can write to it"), std::string::npos) << root.log_text();
  EXPECT_FALSE(fs::exists(root.data_folder() / "hzfreq.db"));
}

}  // namespace
}  // namespace table_test
