#include "base/imelog.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "platform/text.h"

using namespace engine_test;

namespace {

class ImeLogTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_level_ = ime_debug_level; }
  void TearDown() override { ime_debug_level = saved_level_; }
  int saved_level_ = 0;
};

TEST_F(ImeLogTest, JoinsLevelSourceLineAndMessage) {
  LogCapture log;
  imelog(IME_LOG_ERROR, "imecore.cpp", 992, "Loading accessory table...");
  imelog(IME_LOG_INFO, "a.cpp", 7, "%d rows in %s", 42, "pinyin.db");
  imelog(7, "b.cpp", 123456, "odd level");
  ASSERT_EQ(LogCapture::lines().size(), 3u);
  EXPECT_EQ(LogCapture::lines()[0], "ERROR|    imecore.cpp|  992|Loading accessory table...");
  EXPECT_EQ(LogCapture::lines()[1], "INFO|          a.cpp|    7|42 rows in pinyin.db");
  EXPECT_EQ(LogCapture::lines()[2], "unknown|          b.cpp|123456|odd level");
}

TEST_F(ImeLogTest, PercentInSourceOrMessageIsPrintedAsItIs) {
  LogCapture log;
  imelog(IME_LOG_ERROR, "we%s%n.cpp", 5, "%s", "100% %d %n %s");
  ASSERT_EQ(LogCapture::lines().size(), 1u);
  EXPECT_EQ(LogCapture::lines()[0], "ERROR|     we%s%n.cpp|    5|100% %d %n %s");
}

TEST_F(ImeLogTest, LinesAreCutAt1023Bytes) {
  LogCapture log;
  imelog(IME_LOG_ERROR, "x.cpp", 1, "%s", std::string(3000, 'x').c_str());
  // Two-byte characters placed so that the cut falls inside one: the half is dropped.
  std::string wide;
  while (wide.size() < 3000) wide += "\xc3\xa9";
  imelog(IME_LOG_ERROR, "x.cpp", 1, "%s", wide.c_str());
  imelog(IME_LOG_ERROR, "x.cpp", 1, "x%s", wide.c_str());
  ASSERT_EQ(LogCapture::lines().size(), 3u);
  const std::string& ascii = LogCapture::lines()[0];
  EXPECT_EQ(ascii.size(), 1023u);
  EXPECT_EQ(ascii.rfind("ERROR|          x.cpp|    1|xxx", 0), 0u);
  for (std::size_t i = 1; i < 3; ++i) {
    const std::string& line = LogCapture::lines()[i];
    EXPECT_GE(line.size(), 1022u);
    EXPECT_LE(line.size(), 1023u);
    EXPECT_TRUE(platform::text::is_valid_utf8(line)) << i;
  }
}

TEST_F(ImeLogTest, WritesToStandardErrorWithoutCallback) {
  ime_log_func_t saved = ime_log_func;
  ime_log_func = nullptr;
  testing::internal::CaptureStderr();
  imelog(IME_LOG_INFO, "s.cpp", 3, "to stderr");
  std::string written = testing::internal::GetCapturedStderr();
  ime_log_func = saved;
  EXPECT_EQ(written, "INFO|          s.cpp|    3|to stderr\n");
}

TEST_F(ImeLogTest, DebugLevelComesFromTheFirstMarkerFile) {
  struct Case {
    std::vector<const char*> markers;
    int level;
  };
  const std::vector<Case> cases = {
      {{}, 0},
      {{"debug_1"}, 1},
      {{"debug_0", "debug_1"}, 0},
      {{"debug_2"}, 2},
      {{"debug_1", "debug_2"}, 1},
  };
  for (const Case& c : cases) {
    ScratchHome home;
    for (const char* marker : c.markers) write_file(home.data_folder() / marker, "");
    EXPECT_EQ(ime_init_debug_level(), c.level);
    EXPECT_EQ(ime_debug_level, c.level);

    LogCapture log;
    imelog(IME_LOG_DEBUG, "d.cpp", 1, "detail");
    imelog(IME_LOG_ERROR, "d.cpp", 2, "failure");
    std::vector<std::string> expected;
    if (c.level >= 1) expected.push_back("DEBUG|          d.cpp|    1|detail");
    expected.push_back("ERROR|          d.cpp|    2|failure");
    EXPECT_EQ(LogCapture::lines(), expected) << "level " << c.level;
  }
}

TEST_F(ImeLogTest, NoDataFolderMeansDebugLevelZero) {
  ScopedEnv env("HOME", std::nullopt);
  reset_engine_caches();
  ime_debug_level = 2;
  EXPECT_EQ(ime_init_debug_level(), 0);
  reset_engine_caches();
}

TEST(EngineLogFile, AppendsLines) {
  ScratchHome home;
  _ime_log_func("first");
  _ime_log_func("second");
  EXPECT_EQ(read_file(home.data_folder() / "ime.log"), "first\nsecond\n");
  EXPECT_FALSE(fs::exists(home.data_folder() / "ime.log.1"));
}

TEST(EngineLogFile, RotatesBeforeExceedingTheLimit) {
  ScratchHome home;
  const fs::path log = home.data_folder() / "ime.log";
  const fs::path older = home.data_folder() / "ime.log.1";

  const std::string almost_full(IME_LOG_FILE_LIMIT - 5, 'a');
  write_file(log, almost_full);
  _ime_log_func("1234");  // 5 bytes with its line feed: exactly at the limit, no rotation
  EXPECT_EQ(fs::file_size(log), static_cast<std::uintmax_t>(IME_LOG_FILE_LIMIT));
  EXPECT_FALSE(fs::exists(older));

  _ime_log_func("next");
  EXPECT_EQ(read_file(log), "next\n");
  EXPECT_EQ(fs::file_size(older), static_cast<std::uintmax_t>(IME_LOG_FILE_LIMIT));

  write_file(log, std::string(IME_LOG_FILE_LIMIT, 'b'));
  _ime_log_func("third");
  EXPECT_EQ(read_file(log), "third\n");
  EXPECT_EQ(read_file(older), std::string(IME_LOG_FILE_LIMIT, 'b'));
}

// Whether this process holds a descriptor open on `path`.
bool holds_open(const fs::path& path) {
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) == path) return true;
  }
  return false;
}

TEST(EngineLogFile, StaysOpenBetweenLinesAndFollowsAFileReplacedByAnotherProcess) {
  ScratchHome home;
  const fs::path log = home.data_folder() / "ime.log";
  _ime_log_func("first");
  EXPECT_TRUE(holds_open(log));

  // Rotated away by another process: the next line starts a new file.
  fs::rename(log, home.data_folder() / "ime.log.other");
  _ime_log_func("second");
  EXPECT_EQ(read_file(log), "second\n");
  EXPECT_EQ(read_file(home.data_folder() / "ime.log.other"), "first\n");

  // Removed: the next line creates it again.
  fs::remove(log);
  _ime_log_func("third");
  EXPECT_EQ(read_file(log), "third\n");
  EXPECT_TRUE(holds_open(log));
}

// A parent and its forked child log at once across the rotation: the log is rotated once, and
// every line ends up whole in ime.log.1 or ime.log.
TEST(EngineLogFile, ProcessesSharingTheLogRotateItOnceAndKeepEveryLineWhole) {
  ScratchHome home;
  const fs::path log = home.data_folder() / "ime.log";
  const std::string filler(99, 'f');
  std::string prefill;
  while (prefill.size() + 2000 < static_cast<std::size_t>(IME_LOG_FILE_LIMIT)) prefill += filler + "\n";
  write_file(log, prefill);
  _ime_log_func("opened before the fork");

  constexpr int kLines = 400;
  auto write_lines = [](const char* who) {
    for (int i = 0; i < kLines; ++i) _ime_log_func((std::string(who) + " " + std::to_string(i)).c_str());
  };
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    write_lines("child");
    ::_exit(0);
  }
  write_lines("parent");
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const std::string older = read_file(home.data_folder() / "ime.log.1");
  EXPECT_EQ(older.rfind(prefill, 0), 0u) << "the log was rotated more than once";
  std::map<std::string, int> seen;
  std::istringstream lines(older.substr(std::min(older.size(), prefill.size())) + read_file(log));
  for (std::string line; std::getline(lines, line);) ++seen[line];
  EXPECT_EQ(seen["opened before the fork"], 1);
  for (const char* who : {"parent", "child"}) {
    for (int i = 0; i < kLines; ++i) EXPECT_EQ(seen[std::string(who) + " " + std::to_string(i)], 1) << who << i;
  }
  EXPECT_EQ(seen.size(), 1u + 2 * kLines);
}

TEST(EngineLogFile, NoDataFolderWritesNothing) {
  ScopedEnv env("HOME", "relative");
  reset_engine_caches();
  _ime_log_func("dropped");  // must neither crash nor write anywhere relative
  EXPECT_FALSE(fs::exists("relative"));
  reset_engine_caches();
}

TEST(EngineLogFile, ServesAsTheLogCallback) {
  ScratchHome home;
  ime_log_func_t saved = ime_log_func;
  ime_log_func = _ime_log_func;
  imelog(IME_LOG_ERROR, "c.cpp", 9, "through %s", "the file");
  ime_log_func = saved;
  EXPECT_EQ(read_file(home.data_folder() / "ime.log"), "ERROR|          c.cpp|    9|through the file\n");
}

TEST(PlatformProbe, RecordsLittleEndianHosts) {
  ime_test_platform();
  const std::uint16_t probe = 0x0102;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  EXPECT_EQ(ime_x86_platform, first == 0x02 ? 1 : 0);
  EXPECT_EQ(ime_rosetta_running, 0);
}

}  // namespace
