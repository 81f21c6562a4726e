// A companion of the staged system that dies is started again by the server, which says so in
// its log: the staged server program runs for a new user with a runtime folder of its own, and
// the converter it started is killed as a crash would end it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CoreSource/services/ccclient.h"
#include "CoreSource/tests/engine_test_support.h"
#include "platform/files.h"
#include "platform/process.h"
#include "staged_client.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using staged_client::eventually;

constexpr const char* kConverter = "IMKKEPSimp2TradConverter";

const fs::path kServerProgram =
    fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";

class CompanionsRestart : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    // The server first, so that it starts nothing again while its companions end.
    if (server_) {
      platform::process::send_signal(*server_, SIGTERM, ignored);
      if (!platform::process::wait_for_exit(*server_, 60s)) {
        platform::process::send_signal(*server_, SIGKILL, ignored);
        platform::process::wait_for_exit(*server_, 60s);
      }
    }
    for (pid_t pid : started()) platform::process::send_signal(pid, SIGTERM, ignored);
    if (!eventually([&] { return started().empty(); }, 30s)) {
      for (pid_t pid : started()) platform::process::send_signal(pid, SIGKILL, ignored);
    }
  }

  // Starts the staged server with its standard error in the log file.
  bool start_server() {
    const int log = ::open(log_file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0) return false;
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(log, STDERR_FILENO);
    std::error_code error;
    server_ = platform::process::launch(kServerProgram, {kServerProgram.string()}, error);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(log);
    return server_.has_value();
  }

  // The processes of this test's system: the server and what it started.
  std::vector<pid_t> started() const {
    return platform::process::find_with_environment("KEP_RUNTIME_DIR", runtime_.path().string());
  }

  std::string server_log() const {
    std::error_code error;
    return platform::files::read_file(log_file_, error).value_or(std::string());
  }

  static std::vector<pid_t> converters() {
    return platform::process::find_running_in_session(kConverter);
  }

  // Whether the converter answers a conversion.
  static bool converter_answers() {
    std::optional<std::string> reply;
    return QASendDataToServer("KEPCCServerPort", QA_MSG_CONVERT_CHINESE, "头发", &reply, 10s) ==
               0 &&
           reply == std::optional<std::string>("000:頭髮");
  }

  engine_test::TempDir home_;
  engine_test::TempDir runtime_;
  engine_test::TempDir logs_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", std::string(KEP_STAGED_ROOT)};
  fs::path log_file_ = logs_.path() / "server.log";
  std::optional<pid_t> server_;
};

TEST_F(CompanionsRestart, AKilledConverterRunsAgainAndTheLogSaysSo) {
  ASSERT_TRUE(start_server());
  std::vector<pid_t> first;
  ASSERT_TRUE(eventually([&] {
    first = converters();
    return first.size() == 1 && converter_answers();
  })) << "the server did not start the converter";

  std::error_code error;
  ASSERT_TRUE(platform::process::send_signal(first[0], SIGKILL, error)) << error.message();
  const auto killed = Clock::now();
  std::vector<pid_t> now;
  ASSERT_TRUE(eventually([&] {
    now = converters();
    return now.size() == 1 && now[0] != first[0] && converter_answers();
  })) << "the converter was not started again";
  RecordProperty("restart_ms", static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - killed).count()));
  EXPECT_NE(server_log().find(std::string(kConverter) + " had stopped; started it again."),
            std::string::npos)
      << server_log();
}

}  // namespace
