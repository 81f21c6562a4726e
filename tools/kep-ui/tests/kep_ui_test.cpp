#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/tests/runtime_test_support.h"
#include "platform/ui/control_server.h"
#include "platform/ui/tests/window_test_support.h"

extern char** environ;

namespace {

using platform::testing_support::PrivateRuntimeDir;
using platform::testing_support::TempDir;
using platform::ui::test_support::RecordingWindow;
using platform::ui::test_support::RenderDir;

struct ToolRun {
  int status = -1;
  std::string out;
};

// Runs kep-ui with `arguments`, its standard output in a file.
ToolRun run_kep_ui(const std::vector<std::string>& arguments) {
  TempDir folder;
  const auto output = folder.path() / "out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string program = KEP_UI_PROGRAM;
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = {program.data()};
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ToolRun run;
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return run;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  std::ifstream in(output);
  std::stringstream text;
  text << in.rdbuf();
  run.out = text.str();
  return run;
}

TEST(KepUiTest, RepliesAreShownAndErrorsGiveExitOne) {
  PrivateRuntimeDir runtime;
  RenderDir render;
  platform::RunLoop loop;
  RecordingWindow window("candidate", platform::ui::Rect{0, 0, 50, 20});
  std::error_code error;
  auto server = platform::ui::ControlServer::create("TestProgram", loop, error);
  ASSERT_TRUE(server) << error.message();
  ASSERT_TRUE(server->windows().add(window));
  std::thread serving([&] { loop.run(); });

  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string out;
  };
  const Case cases[] = {
      {{"TestProgram", "down", "candidate", "10", "5"}, 0, "ok\n"},
      {{"TestProgram", "up", "candidate", "10", "5", "shift+option"}, 0, "ok\n"},
      {{"TestProgram", "up", "candidate", "10", "5", "hyper"}, 1,
       "error: unknown modifier keys \"hyper\"\n"},
      {{"TestProgram", "key", "candidate", " "}, 0, "ok\n"},
      {{"TestProgram", "key", "candidate", "n"}, 1, "error: \"candidate\" did not take the keys\n"},
      {{"TestProgram", "down", "nowhere", "1", "1"}, 1, "error: no window \"nowhere\"\n"},
      {{"TestProgram", "down", "candidate"}, 1, "error: expected window coordinates X Y\n"},
      {{"NobodyServes", "down", "candidate", "1", "1"}, 1, ""},
      {{"bad/name", "down", "candidate", "1", "1"}, 2, ""},
      {{"TestProgram"}, 2, ""},
      {{}, 2, ""},
  };
  for (const Case& c : cases) {
    ToolRun run = run_kep_ui(c.arguments);
    std::string shown;
    for (const auto& word : c.arguments) shown += "[" + word + "]";
    EXPECT_EQ(run.status, c.status) << shown;
    EXPECT_EQ(run.out, c.out) << shown;
  }
  loop.stop();
  serving.join();
  EXPECT_EQ(window.log, (std::vector<std::string>{"down 10,5 x1", "up 10,5 x1 flags=0xa0000",
                                                  "key [ ]", "key [n]"}));
}

}  // namespace
