// The staged program: one copy serves, a second leaves, SIGTERM ends it cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "CoreSource/tests/engine_test_support.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"
#include "sentenceparser/service/qcp_service.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using engine_test::read_file;
using engine_test::ScopedEnv;
using engine_test::TempDir;
using engine_test::write_file;

// The program started with HOME at `home`, killed when a test leaves it running.
platform::testing_support::ServiceProgram sentence_program(const fs::path& home) {
  ScopedEnv env("HOME", home.string());
  return platform::testing_support::ServiceProgram(KEP_SENTENCE_PROGRAM, kQCPServerPortName);
}

bool exited_with(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

class SentenceProgramTest : public ::testing::Test {
 protected:
  platform::testing_support::PrivateRuntimeDir runtime_;
  ScopedEnv root_{"KEP_ROOT", std::string(KEP_BINARY_DIR) + "/root"};
  TempDir home_;
};

TEST_F(SentenceProgramTest, ServesUntilTerminatedAndLogsToTheEngineLog) {
  auto program = sentence_program(home_.path());
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.wait_until_serving());
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(kQCPServerPortName, error);
  ASSERT_TRUE(remote);
  auto reply = remote->send(QCP_MSG_CONVERT_STREAM, "", 2s, 2s);
  EXPECT_EQ(reply.data, std::optional<std::string>("003:Convert stream '' failed."));
  EXPECT_EQ(remote->send(99, "x", 2s, 2s).data, std::nullopt);
  EXPECT_TRUE(fs::is_directory(home_ / "Library/KEP/apr"));

  EXPECT_TRUE(exited_with(program.terminate(), 0));
  EXPECT_FALSE(platform::ports::RemotePort::open(kQCPServerPortName, error));
  const std::string log = read_file(home_ / "Library/KEP/ime.log");
  EXPECT_NE(log.find("Serving KEPCPServerPort"), std::string::npos) << log;
  EXPECT_NE(log.find("Save auto ci..."), std::string::npos) << log;
}

TEST_F(SentenceProgramTest, ASecondCopyLeavesBeforeTouchingTheDataFolder) {
  auto first = sentence_program(home_.path());
  ASSERT_TRUE(first.wait_until_serving());

  // The second copy's own data folder holds a plain file "apr" that starting the engine would
  // replace by a folder.
  TempDir second_home;
  const fs::path apr = second_home / "Library/KEP/apr";
  write_file(apr, "left alone");
  fs::permissions(apr.parent_path(), fs::perms::owner_all);
  auto second = sentence_program(second_home.path());
  ASSERT_TRUE(second.started());
  auto status = second.wait_for_exit();
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) != 0) << *status;
  EXPECT_TRUE(fs::is_regular_file(apr));
  EXPECT_EQ(read_file(apr), "left alone");

  // The first copy still serves.
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(kQCPServerPortName, error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->send(QCP_MSG_FILL_PY, "x", 2s, 2s).data,
            std::optional<std::string>("000:x"));
  EXPECT_TRUE(exited_with(first.terminate(), 0));
}

// The converted text of a convert reply (before its flag bytes); empty on failure.
std::string converted_text(platform::ports::RemotePort& remote, const std::string& pinyin) {
  auto reply = remote.send(QCP_MSG_CONVERT_STREAM, pinyin, 2s, 2s);
  if (!reply.data || !reply.data->starts_with("000:")) return {};
  return reply.data->substr(4, reply.data->find(QCP_PART_SEPARATOR) - 4);
}

TEST_F(SentenceProgramTest, ALearnedSentenceIsConvertedBeforeAndAfterARestart) {
  const std::string taught = "\xC4\xE0\xBA\xC5";  // 泥号: no library word for ni_hao
  const std::string request = std::string("*ni_*hao") + QCP_PART_SEPARATOR + taught;
  {
    auto program = sentence_program(home_.path());
    ASSERT_TRUE(program.wait_until_serving());
    std::error_code error;
    auto remote = platform::ports::RemotePort::open(kQCPServerPortName, error);
    ASSERT_TRUE(remote);
    ASSERT_NE(converted_text(*remote, "ni_hao"), taught);
    EXPECT_EQ(remote->send(QCP_MSG_LEARN_TEXT, request, 2s, 2s).data,
              std::optional<std::string>("000:S"));
    EXPECT_EQ(converted_text(*remote, "ni_hao"), taught);
    EXPECT_TRUE(exited_with(program.terminate(), 0));
  }
  EXPECT_NE(read_file(home_ / "Library/KEP/apr/youxian.lib").find(taught), std::string::npos);
  auto again = sentence_program(home_.path());
  ASSERT_TRUE(again.wait_until_serving());
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(kQCPServerPortName, error);
  ASSERT_TRUE(remote);
  EXPECT_EQ(converted_text(*remote, "ni_hao"), taught);
  EXPECT_TRUE(exited_with(again.terminate(), 0));
}

}  // namespace
