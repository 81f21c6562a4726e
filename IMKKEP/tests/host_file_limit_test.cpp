// The server program under a file-size limit (as `ulimit -f` sets) below the size of udb.lib:
// learning a phrase and the power-off save fail to write it, the log says so with the reason,
// the server keeps serving, ends with a failure status, and the old udb.lib stays whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CoreSource/tables/pinyin_code.h"
#include "CoreSource/tests/engine_test_support.h"
#include "CoreSource/user/udb_item.h"
#include "CoreSource/user/udb_line.h"
#include "platform/files.h"
#include "platform/imk/client.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/unique_fd.h"
#include "staged_client.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kServerProgram =
    fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";
// Longer than the pause before a selecting key that makes the engine learn what it commits.
constexpr auto kPauseBeforeChoosing = 500ms;
constexpr rlim_t kFileSizeLimit = 16 * 1024;

using staged_client::eventually;

// What the server and the programs it starts write to standard error, read from a pipe as it
// comes (a pipe, not a file: the limit would cut a log file short too).
class LogPipe {
 public:
  LogPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;
    read_end_.reset(ends[0]);
    write_end_.reset(ends[1]);
    reader_ = std::thread([this] { read(); });
  }
  ~LogPipe() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
  }
  int write_end() const { return write_end_.get(); }
  std::string text() {
    std::lock_guard lock(mutex_);
    return text_;
  }
  bool has(const std::string& part) { return text().find(part) != std::string::npos; }

 private:
  void read() {
    char buffer[4096];
    while (!stop_) {
      pollfd source{read_end_.get(), POLLIN, 0};
      if (::poll(&source, 1, 50) <= 0) continue;
      const ssize_t got = ::read(read_end_.get(), buffer, sizeof buffer);
      if (got <= 0) continue;
      std::lock_guard lock(mutex_);
      text_.append(buffer, static_cast<std::size_t>(got));
    }
  }

  platform::UniqueFd read_end_;
  platform::UniqueFd write_end_;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::string text_;
};

// The staged server for a scratch user, under an optional file-size limit, and one
// application connected to it.
class ServerFileLimitTest : public ::testing::Test {
 protected:
  void TearDown() override {
    connection_.reset();
    if (server_ && !exit_status_) {
      std::error_code ignored;
      platform::process::send_signal(*server_, SIGKILL, ignored);
      ::waitpid(*server_, nullptr, 0);
    }
    // The runtime folder's end stops the companions the servers started.
  }

  // Forks and runs the server with its standard error on the log pipe, as `ulimit -f` would
  // run it when `limit` is given.
  bool start(std::optional<rlim_t> limit) {
    exit_status_.reset();
    const std::string program = kServerProgram.string();
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const int log = log_.write_end();
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
      // Only calls that are safe between fork and exec.
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      if (limit) {
        const rlimit tight{*limit, *limit};
        if (::setrlimit(RLIMIT_FSIZE, &tight) != 0) ::_exit(126);
      }
      if (::dup2(log, STDERR_FILENO) < 0) ::_exit(126);
      ::execv(argv[0], argv);
      ::_exit(127);
    }
    server_ = pid;
    platform::imk::ClientInfo info;
    info.bundle_identifier = "com.example.editor";
    info.supports_unicode = true;
    std::error_code error;
    if (!eventually([&] {
          connection_ = platform::imk::Connection::connect("KEPInputConnectionName", info, error);
          return connection_ != nullptr || exited();
        }) ||
        connection_ == nullptr) {
      return false;
    }
    context_ = connection_->create_context(document_);
    return context_ != 0 && connection_->activate(context_, false);
  }

  std::vector<std::string> type(std::string_view script) {
    return staged_client::type(*connection_, context_, document_, script);
  }

  bool exited() {
    if (exit_status_) return true;
    int status = 0;
    if (::waitpid(*server_, &status, WNOHANG) != *server_) return false;
    exit_status_ = status;
    return true;
  }

  // Power-off: SIGTERM, then the server's wait status.
  std::optional<int> power_off() {
    connection_.reset();
    std::error_code error;
    if (!platform::process::send_signal(*server_, SIGTERM, error)) return std::nullopt;
    if (!eventually([&] { return exited(); })) return std::nullopt;
    return exit_status_;
  }

  fs::path data_folder() const { return home_.path() / "Library/KEP"; }
  fs::path udb() const { return data_folder() / "udb.lib"; }

  // Temporary files an atomic write left in the data folder.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(data_folder())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".udb.lib.", 0) == 0) names.push_back(name);
    }
    return names;
  }

  engine_test::TempDir home_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  platform::testing_support::PrivateRuntimeDir runtime_;
  LogPipe log_;
  std::optional<pid_t> server_;
  std::optional<int> exit_status_;
  std::unique_ptr<platform::imk::Connection> connection_;
  staged_client::Document document_;
  std::uint32_t context_ = 0;
};

// A udb.lib of many two-syllable phrases, larger than the limit. Their syllables share no
// initials with what the test types, so none of them shows while it types.
std::string large_user_phrases() {
  const std::vector<std::pair<const char*, const char*>> syllables = {
      {"bei", "北"}, {"jing", "京"}, {"shang", "上"}, {"hai", "海"}, {"tian", "天"}, {"di", "地"},
      {"ren", "人"}, {"he", "和"}, {"shan", "山"}, {"shui", "水"}, {"hua", "花"}, {"niao", "鸟"},
      {"feng", "风"}, {"yu", "雨"}, {"xue", "雪"}, {"yue", "月"}, {"xing", "星"}, {"chen", "辰"},
      {"jiang", "江"}, {"hu", "湖"}, {"bo", "波"}, {"tao", "涛"}, {"yun", "云"}, {"qi", "气"}};
  std::string file;
  for (const auto& [first, first_text] : syllables) {
    for (const auto& [second, second_text] : syllables) {
      UDBItem item{};
      ime_decompose_py(first, &item.initials[0], &item.finals[0]);
      ime_decompose_py(second, &item.initials[1], &item.finals[1]);
      const std::string text = std::string(first_text) + second_text;
      std::memcpy(item.text, text.data(), text.size());
      std::memcpy(item.text2, text.data(), text.size());
      item.text_length = item.text2_length = static_cast<std::uint8_t>(text.size());
      item.syllables = 2;
      item.freq = 1;
      file += ime_udb_format_line(ime_udb_fold_key(std::string_view(item.initials, 2)), item);
    }
  }
  return file + std::string(IME_UDB_END_TAG) + "\n";
}

TEST_F(ServerFileLimitTest, WritesPastTheLimitFailWithTheirReasonLoggedAndTheOldFileWhole) {
  // A first run as the user's first log-in: the data folder and its files, the counters of
  // nearly a megabyte among them, are made without a limit.
  ASSERT_TRUE(start(std::nullopt)) << log_.text();
  ASSERT_EQ(type("nihao<space>"), std::vector<std::string>{"你好"}) << log_.text();
  const std::optional<int> first_end = power_off();
  ASSERT_TRUE(first_end && WIFEXITED(*first_end) && WEXITSTATUS(*first_end) == 0) << log_.text();

  const std::string phrases = large_user_phrases();
  ASSERT_GT(phrases.size(), kFileSizeLimit);
  std::error_code error;
  ASSERT_TRUE(platform::files::write_atomic(udb(), phrases, error, 0600)) << error.message();

  ASSERT_TRUE(start(kFileSizeLimit)) << log_.text();
  // A sentence chosen after a pause is learned, and udb.lib is written at once: past the limit.
  ASSERT_EQ(type("zhegemingling"), std::vector<std::string>{});
  std::this_thread::sleep_for(kPauseBeforeChoosing);
  const std::vector<std::string> committed = type("<space>");
  ASSERT_EQ(committed.size(), 1u) << log_.text();
  const std::string reason = udb().string() + ": " + std::strerror(EFBIG);
  EXPECT_TRUE(eventually([&] { return log_.has("Write udb.lib failed![" + reason + "]"); })) << log_.text();

  // Still serving, with no debug switch in the data folder.
  EXPECT_FALSE(exited()) << "the server ended; wait status " << *exit_status_;
  EXPECT_EQ(type("nihao<space>"), std::vector<std::string>{"你好"});
  EXPECT_EQ(engine_test::read_file(udb()), phrases);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});

  // Power-off cannot save the learned phrase either: it says why and does not end as if all
  // went well; udb.lib is still the old one, whole.
  const std::optional<int> end = power_off();
  ASSERT_TRUE(end);
  EXPECT_TRUE(WIFEXITED(*end)) << "wait status " << *end;
  EXPECT_NE(WEXITSTATUS(*end), 0);
  EXPECT_TRUE(eventually([&] { return log_.has("Save the user phrase db failed!: " + reason); }))
      << log_.text();
  EXPECT_EQ(engine_test::read_file(udb()), phrases);
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace
