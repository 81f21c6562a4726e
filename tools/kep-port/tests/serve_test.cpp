#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "payload_text.h"
#include "platform/ports.h"
#include "platform/tests/runtime_test_support.h"

extern char** environ;

namespace kep_port {
namespace {

using namespace std::chrono_literals;

TEST(PayloadTextTest, PayloadsPrintOnOneLineOrAsTheirXml) {
  const std::pair<std::string, std::string> cases[] = {
      {"hello", "hello"},
      {"", ""},
      {"a\nb\x01\x7f", "a\\nb\\x01\\x7f"},
      {"中文 ok", "中文 ok"},
      {"cut \xe4\xb8 and \xff", "cut \\xe4\\xb8 and \\xff"},
      {"back\\slash", "back\\\\slash"},
      {"<?xml version=\"1.0\"?>\n<plist><dict>\n\t<string>\x01你\x01好</string>\n</dict></plist>\n",
       "<?xml version=\"1.0\"?>\n<plist><dict>\n\t<string>|你|好</string>\n</dict></plist>"},
  };
  for (const auto& [payload, shown] : cases) {
    EXPECT_EQ(payload_text(payload), shown) << payload;
  }
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Runs `kep-port serve` with its output in a file.
pid_t start_serving(const std::string& port, const std::filesystem::path& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  std::string program = KEP_PORT_PROGRAM;
  std::vector<char*> argv = {program.data(), const_cast<char*>("serve"),
                             const_cast<char*>(port.c_str()), nullptr};
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

bool wait_for_text(const std::filesystem::path& file, const std::string& text) {
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (read_file(file).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

TEST(ServeTest, PrintsEveryMessageAnswersNoneAndEndsOnSignals) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    platform::testing_support::PrivateRuntimeDir runtime;
    auto output = runtime.path() / "served.txt";
    pid_t pid = start_serving("WatchedPort", output);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(wait_for_text(output, "serving WatchedPort\n")) << read_file(output);

    std::error_code error;
    auto remote = platform::ports::RemotePort::open("WatchedPort", error);
    ASSERT_TRUE(remote) << error.message();
    auto reply = remote->send(100, "first\nline", 2s, 2s);
    EXPECT_EQ(reply.status, platform::ports::SendStatus::Success);
    EXPECT_FALSE(reply.data);
    // Printed and flushed before the answer went out, so it is in the file already.
    EXPECT_NE(read_file(output).find("id 100\nfirst\\nline\n"), std::string::npos)
        << read_file(output);
    remote->send(-7, "", 2s, 2s);

    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_file(output),
              "serving WatchedPort\nid 100\nfirst\\nline\nid -7\n\n");
  }
}

}  // namespace
}  // namespace kep_port
