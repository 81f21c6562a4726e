#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/tests/runtime_test_support.h"
#include "platform/ui/alert.h"
#include "platform/ui/control_server.h"
#include "platform/ui/controls.h"
#include "platform/ui/open_panel.h"
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

// Runs kep-ui with `arguments` in the working folder `cwd` (this one when empty), its
// standard output in a file.
ToolRun run_kep_ui(const std::vector<std::string>& arguments,
                   const std::filesystem::path& cwd = {}) {
  TempDir folder;
  const auto output = folder.path() / "out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
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

struct Case {
  std::vector<std::string> arguments;
  int status;
  std::string out;
};

// Runs kep-ui once per case and checks its exit status and output.
void expect_runs(const std::vector<Case>& cases, const std::filesystem::path& cwd = {}) {
  for (const Case& c : cases) {
    ToolRun run = run_kep_ui(c.arguments, cwd);
    std::string shown;
    for (const auto& word : c.arguments) shown += "[" + word + "]";
    EXPECT_EQ(run.status, c.status) << shown;
    EXPECT_EQ(run.out, c.out) << shown;
  }
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

  const std::vector<Case> cases = {
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
  expect_runs(cases);
  loop.stop();
  serving.join();
  EXPECT_EQ(window.log, (std::vector<std::string>{"down 10,5 x1", "up 10,5 x1 flags=0xa0000",
                                                  "key [ ]", "key [n]"}));
}

TEST(KepUiTest, ClickCloseShowAndAnswerRoundTrip) {
  PrivateRuntimeDir runtime;
  RenderDir render;
  platform::RunLoop loop;
  std::error_code error;
  auto server = platform::ui::ControlServer::create("TestProgram", loop, error);
  ASSERT_TRUE(server) << error.message();
  platform::ui::Window prefs("TestProgram", "Prefs", platform::ui::Rect{0, 0, 200, 100},
                             platform::ui::kTitledWindowMask | platform::ui::kClosableWindowMask);
  int restores = 0;
  auto root = std::make_unique<platform::ui::View>();
  auto& restore = root->add_subview(
      std::make_unique<platform::ui::Button>(platform::ui::Rect{10, 10, 80, 24}, "Restore"));
  restore.set_identifier("restore");
  restore.set_action([&](platform::ui::Button&) { ++restores; });
  prefs.set_content_view(std::move(root));
  ASSERT_TRUE(server->windows().add(prefs));
  // The alert begins on the loop's thread, as a program's would.
  platform::ui::Alert alert(server->windows(), loop, "TestProgram");
  alert.set_message_text("Restore?");
  alert.add_button("BUTTON_YES", "Yes");
  alert.add_button("BUTTON_NO", "No");
  std::vector<int> ended;
  std::thread serving([&] { loop.run(); });
  bool begun = false;
  EXPECT_TRUE(loop.perform_and_wait(
      [&] { begun = alert.begin([&](int code) { ended.push_back(code); }); }));
  EXPECT_TRUE(begun);

  const std::vector<Case> cases = {
      {{"TestProgram", "show", "Prefs"}, 0, "ok\n"},
      {{"TestProgram", "click", "Prefs", "restore"}, 0, "ok\n"},
      {{"TestProgram", "click", "Prefs", "missing"}, 1, "error: no view \"missing\" in \"Prefs\"\n"},
      {{"TestProgram", "answer", "alert", "BUTTON_MAYBE"}, 1,
       "error: the alert has no button \"BUTTON_MAYBE\"\n"},
      {{"TestProgram", "answer", "colour", "1", "0", "0"}, 1,
       "error: unknown answer kind \"colour\"\n"},
      {{"TestProgram", "answer", "alert", "BUTTON_NO"}, 0, "ok\n"},
      {{"TestProgram", "close", "Prefs"}, 0, "ok\n"},
  };
  expect_runs(cases);
  loop.stop();
  serving.join();
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(ended, std::vector<int>{platform::ui::kAlertFirstButtonReturn + 1});
  EXPECT_TRUE(prefs.is_closed());
  EXPECT_FALSE(alert.is_visible());
}

TEST(KepUiTest, KeysAndModifierFlagsReachTheFirstResponder) {
  PrivateRuntimeDir runtime;
  RenderDir render;
  platform::RunLoop loop;
  std::error_code error;
  auto server = platform::ui::ControlServer::create("TestProgram", loop, error);
  ASSERT_TRUE(server) << error.message();
  platform::ui::Window prefs("TestProgram", "Prefs", platform::ui::Rect{0, 0, 200, 100});
  auto root = std::make_unique<platform::ui::View>();
  auto& name = root->add_subview(
      std::make_unique<platform::ui::TextField>(platform::ui::Rect{10, 60, 150, 24}, "old"));
  name.set_identifier("name");
  name.set_editable(true);
  std::vector<std::string> ended;
  name.set_end_editing_handler(
      [&](platform::ui::TextField&, const std::string& text, platform::ui::TextMovement) {
        ended.push_back(text);
      });
  prefs.set_content_view(std::move(root));
  ASSERT_TRUE(server->windows().add(prefs));
  std::thread serving([&] { loop.run(); });

  const std::vector<Case> cases = {
      {{"TestProgram", "keycode", "Prefs", "0", "0"}, 1, "error: \"Prefs\" did not take the key\n"},
      {{"TestProgram", "click", "Prefs", "name"}, 0, "ok\n"},
      {{"TestProgram", "keycode", "Prefs", "0", "command"}, 0, "ok\n"},  // select all
      {{"TestProgram", "key", "Prefs", "新词"}, 0, "ok\n"},
      {{"TestProgram", "keycode", "Prefs", "51", "0"}, 0, "ok\n"},       // Backspace
      {{"TestProgram", "keycode", "Prefs", "0", "0x20000"}, 0, "ok\n"},  // "A"
      {{"TestProgram", "keycode", "Prefs", "0", "0", "é"}, 0, "ok\n"},
      {{"TestProgram", "keycode", "Prefs", "36", "0"}, 0, "ok\n"},       // Return
      {{"TestProgram", "keycode", "Prefs", "200", "0"}, 1,
       "error: key code must be a number from 0 to 127\n"},
      {{"TestProgram", "keycode", "Prefs", "36", "0x100000000"}, 1,
       "error: bad modifier flags \"0x100000000\"\n"},
      {{"TestProgram", "flags", "Prefs", "shift"}, 1,
       "error: \"Prefs\" did not take the modifier flags\n"},
      {{"TestProgram", "flags", "Prefs", "x"}, 1, "error: bad modifier flags \"x\"\n"},
  };
  expect_runs(cases);
  std::string text;
  EXPECT_TRUE(loop.perform_and_wait([&] { text = name.text(); }));
  loop.stop();
  serving.join();
  EXPECT_EQ(text, "新Aé");
  EXPECT_EQ(ended, std::vector<std::string>{"新Aé"});
}

TEST(KepUiTest, AnOpenPanelTakesPathsFromTheToolsWorkingFolder) {
  PrivateRuntimeDir runtime;
  RenderDir render;
  TempDir files;
  const std::filesystem::path dir = std::filesystem::canonical(files.path());
  std::ofstream(dir / "My Words.scel") << "x";
  platform::RunLoop loop;
  std::error_code error;
  auto server = platform::ui::ControlServer::create("TestProgram", loop, error);
  ASSERT_TRUE(server) << error.message();
  platform::ui::OpenPanel panel(server->windows(), loop, "TestProgram");
  panel.set_allowed_file_types({"scel"});
  std::vector<int> ended;
  std::thread serving([&] { loop.run(); });
  bool begun = false;
  // The panel starts elsewhere: the tool, not the panel, makes the paths absolute.
  EXPECT_TRUE(loop.perform_and_wait([&] {
    panel.set_directory("/");
    begun = panel.begin([&](int code) { ended.push_back(code); });
  }));
  EXPECT_TRUE(begun);

  const std::vector<Case> cases = {
      {{"TestProgram", "answer", "open-panel", "missing.scel"}, 1,
       "error: no such file or folder: " + (dir / "missing.scel").string() + "\n"},
      {{"TestProgram", "answer", "open-panel", "My Words.scel", "My Words.scel"}, 1,
       "error: the panel takes one item, not 2\n"},
      {{"TestProgram", "answer", "open-panel", "My Words.scel"}, 0, "ok\n"},
      // No panel runs now: the answer waits for the next one.
      {{"TestProgram", "answer", "open-panel", "cancel"}, 0, "ok\n"},
      {{"TestProgram", "answer", "open-panel"}, 1,
       "error: an open panel is answered by paths or \"cancel\"\n"},
  };
  expect_runs(cases, dir);
  std::vector<std::string> chosen;
  std::size_t queued = 0;
  EXPECT_TRUE(loop.perform_and_wait([&] {
    chosen = panel.filenames();
    queued = server->windows().answers().queued(platform::ui::kOpenPanelAnswer);
  }));
  loop.stop();
  serving.join();
  EXPECT_EQ(ended, std::vector<int>{platform::ui::kPanelOKReturn});
  EXPECT_EQ(chosen, std::vector<std::string>{(dir / "My Words.scel").string()});
  EXPECT_EQ(queued, 1u);
}

}  // namespace
