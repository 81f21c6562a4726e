// The staged program as a user meets it: its own process, a private HOME and runtime folder, a
// copy of its bundle inside a server bundle under a private root, and its control port.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/plist.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/tests/test_support.h"
#include "platform/ui/control_server.h"
#include "preferences/host/tests/pane_folder.h"

namespace preferences {
namespace {

using namespace std::chrono_literals;
using namespace testing_support;
using platform::testing_support::ScopedEnv;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest()
      : root_(temp_.path() / "root"),
        server_(root_ / "Library/Input Methods/IMKKEP.app"),
        app_(server_ / "Contents/SharedSupport/IMKKEPPreferences.app"),
        home_(temp_.path() / "home"),
        runtime_(temp_.path() / "run"),
        root_env_("KEP_ROOT", root_.string()),
        home_env_("HOME", home_.string()),
        runtime_env_("KEP_RUNTIME_DIR", runtime_.string()),
        render_env_("KEP_RENDER_DIR", std::nullopt),
        debug_env_("KEP_PREFERENCES_DEBUG", std::nullopt) {
    fs::create_directories(home_);
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
    const fs::path staged = fs::path(KEP_STAGED_PREFERENCES).parent_path().parent_path();
    fs::create_directories(app_ / "Contents/MacOS");
    fs::create_directories(app_ / "Contents/Resources/English.lproj");
    for (const char* file : {"Info.plist", "MacOS/IMKKEPPreferences", "Resources/imkkep.plist",
                             "Resources/English.lproj/Localizable.strings"}) {
      fs::copy_file(staged / file, app_ / "Contents" / file);
    }
    fs::create_directories(server_ / "Contents/Resources");
    Dictionary info;
    info.set("CFBundleIdentifier", Value("com.corvana.inputmethod.IMKKEP"));
    std::error_code error;
    platform::plist::save_atomic(server_ / "Contents/Info.plist", Value(info), error);
    fs::copy_file(KEP_SHIPPED_SETTINGS, server_ / "Contents/Resources/imkkep.plist");
  }

  ~ProgramTest() override {
    for (pid_t pid : pids_) {
      std::error_code error;
      platform::process::send_signal(pid, SIGKILL, error);
      platform::process::wait_for_exit(pid, 10s);
    }
  }

  testing_support::PaneFolder& panes() {
    if (!panes_) panes_.emplace(app_ / "Contents/SharedSupport");
    return *panes_;
  }

  pid_t launch() {
    std::error_code error;
    const fs::path program = app_ / "Contents/MacOS/IMKKEPPreferences";
    auto pid = platform::process::launch(program, {program.string()}, error);
    EXPECT_TRUE(pid) << error.message();
    if (!pid) return -1;
    pids_.push_back(*pid);
    return *pid;
  }
  // The exit status of a program that ends by itself, within a generous bound.
  std::optional<int> exit_status(pid_t pid) {
    auto status = platform::process::wait_for_exit(pid, 60s);
    if (!status) return std::nullopt;
    std::erase(pids_, pid);
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
  }

  static std::string control(const std::string& command) {
    std::error_code error;
    auto remote = platform::ports::RemotePort::open(
        platform::ui::control_port_name("IMKKEPPreferences"), error);
    if (!remote) return "unreachable: " + error.message();
    auto reply = remote->send(1, command, 10s, 10s);
    return reply.data ? *reply.data : "no reply";
  }

  fs::path window_file(const std::string& name) const {
    return runtime_ / "windows/IMKKEPPreferences" / name;
  }
  Dictionary read_dictionary(const fs::path& file) const {
    std::error_code error;
    auto value = platform::plist::read_file(file, error);
    return value && value->as_dictionary() ? *value->as_dictionary() : Dictionary{};
  }
  static std::string text(const Dictionary& dict, std::string_view key) {
    const Value* value = dict.find(key);
    return value && value->string_value() ? *value->string_value() : "<none>";
  }
  // Waits (up to a minute) for the window state's `key` ("shows.KEY" for what the window
  // shows) to read `expected` (booleans read "1" and "0").
  bool wait_for_state(std::string_view key, const std::string& expected,
                      const std::string& window = "Preferences.state") {
    const bool shown = key.starts_with("shows.");
    if (shown) key.remove_prefix(6);
    auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
      Dictionary state = read_dictionary(window_file(window));
      if (shown) {
        const Value* shows = state.find("shows");
        state = shows && shows->as_dictionary() ? *shows->as_dictionary() : Dictionary{};
      }
      if (text(state, key) == expected) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  // Once the state's `key` reads `expected`, closes the window, which ends the program.
  void close_after(pid_t pid, std::string_view key, const std::string& expected) {
    EXPECT_TRUE(wait_for_state(key, expected)) << key;
    ASSERT_EQ(control("close Preferences"), "ok");
    EXPECT_EQ(exit_status(pid), 0);
  }
  static std::vector<std::string> toolbar_items(const Dictionary& state) {
    std::vector<std::string> names;
    const Value* toolbar = state.find("toolbar");
    if (!toolbar || !toolbar->as_dictionary()) return names;
    const Value* items = toolbar->as_dictionary()->find("items");
    if (!items || !items->as_array()) return names;
    for (const auto& each : *items->as_array()) names.push_back(each.string_value().value_or(""));
    return names;
  }

  TempDir temp_;
  fs::path root_;
  fs::path server_;
  fs::path app_;
  fs::path home_;
  fs::path runtime_;
  ScopedEnv root_env_;
  ScopedEnv home_env_;
  ScopedEnv runtime_env_;
  ScopedEnv render_env_;
  ScopedEnv debug_env_;
  std::optional<testing_support::PaneFolder> panes_;
  std::vector<pid_t> pids_;
};

TEST_F(ProgramTest, OneCopyShowsThePanesSwitchesRemembersAndWritesOnClose) {
  panes().add("Pages", KEP_TEST_PANE_PAGES, "PagesPaneController");
  pid_t first = launch();
  ASSERT_TRUE(wait_for_state("title", "General"));
  Dictionary state = read_dictionary(window_file("Preferences.state"));
  EXPECT_EQ(toolbar_items(state), (std::vector<std::string>{"General", "Advanced"}));
  EXPECT_TRUE(fs::exists(window_file("Preferences.png")));

  ASSERT_EQ(control("click Preferences Advanced"), "ok");
  ASSERT_TRUE(wait_for_state("title", "Advanced"));
  ASSERT_EQ(control("click Preferences AdvancedPage"), "ok");
  ASSERT_EQ(control("close Preferences"), "ok");
  EXPECT_EQ(exit_status(first), 0);
  Dictionary settings = read_dictionary(home_ / "Library/KEP/imkkep.plist");
  ASSERT_TRUE(settings.find("AdvancedClicks"));
  EXPECT_EQ(settings.find("AdvancedClicks")->integer_value(), 1);
  EXPECT_TRUE(fs::is_directory(home_ / "Library/KEP/PlugCodeTable"));

  // The restart opens on the pane shown last.
  fs::remove(window_file("Preferences.state"));
  close_after(launch(), "title", "Advanced");
}

TEST_F(ProgramTest, ASecondStartHasTheFirstShowItsWindowAndEnds) {
  panes().add("Pages", KEP_TEST_PANE_PAGES, "PagesPaneController");
  pid_t first = launch();
  ASSERT_TRUE(wait_for_state("visible", "1"));
  // It ends well only once the first copy answered its "show".
  EXPECT_EQ(exit_status(launch()), 0);
  EXPECT_EQ(platform::process::wait_for_exit(first, 0ms), std::nullopt) << "the first copy ended";
  close_after(first, "key", "1");
}

// The view named `identifier` anywhere under `view` in a window's state.
const Dictionary* find_view(const Dictionary& view, std::string_view identifier) {
  if (const Value* name = view.find("identifier"); name && name->string_value() == identifier) {
    return &view;
  }
  const Value* subviews = view.find("subviews");
  if (!subviews || !subviews->as_array()) return nullptr;
  for (const auto& each : *subviews->as_array()) {
    if (!each.as_dictionary()) continue;
    if (const Dictionary* found = find_view(*each.as_dictionary(), identifier)) return found;
  }
  return nullptr;
}

TEST_F(ProgramTest, RestoreReplacesTheUserFileWithTheShippedOneOnlyOnYes) {
  panes().add("Pages", KEP_TEST_PANE_PAGES, "PagesPaneController");
  const fs::path settings = home_ / "Library/KEP/imkkep.plist";
  const std::string mine =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
      "<key>AdvancedClicks</key><integer>7</integer></dict></plist>\n";
  std::error_code error;
  fs::create_directories(settings.parent_path());
  ASSERT_TRUE(platform::files::write_atomic(settings, mine, error));
  auto bytes = [](const fs::path& file) {
    std::error_code ignored;
    return platform::files::read_file(file, ignored).value_or("<unreadable>");
  };
  auto advanced_count = [&] {
    Dictionary state = read_dictionary(window_file("Preferences.state"));
    const Value* views = state.find("views");
    const Dictionary* page =
        views && views->as_dictionary() ? find_view(*views->as_dictionary(), "AdvancedPage")
                                        : nullptr;
    const Value* count = page ? page->find("count") : nullptr;
    return count ? count->integer_value().value_or(-1) : -1;
  };

  pid_t pid = launch();
  ASSERT_TRUE(wait_for_state("title", "General"));
  ASSERT_EQ(control("click Preferences Advanced"), "ok");
  ASSERT_TRUE(wait_for_state("title", "Advanced"));
  EXPECT_EQ(advanced_count(), 7);

  ASSERT_EQ(control("answer alert BUTTON_NO"), "ok");
  ASSERT_EQ(control("click Preferences RestoreButton"), "ok");
  ASSERT_TRUE(wait_for_state("shows.answer", "BUTTON_NO", "alert.state"));
  EXPECT_EQ(bytes(settings), mine);

  ASSERT_EQ(control("answer alert BUTTON_YES"), "ok");
  ASSERT_EQ(control("click Preferences RestoreButton"), "ok");
  ASSERT_TRUE(wait_for_state("shows.answer", "BUTTON_YES", "alert.state"));
  auto deadline = std::chrono::steady_clock::now() + 60s;
  while (bytes(settings) != bytes(KEP_SHIPPED_SETTINGS) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(bytes(settings), bytes(KEP_SHIPPED_SETTINGS));
  // The shown page reads the shipped settings, which have no count of its own.
  deadline = std::chrono::steady_clock::now() + 60s;
  while (advanced_count() != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(advanced_count(), 0);
  ASSERT_EQ(control("close Preferences"), "ok");
  EXPECT_EQ(exit_status(pid), 0);
}

TEST_F(ProgramTest, WithNoLoadablePaneTheAlertTakesItsDefaultAndTheProgramEnds) {
  panes().add("NoPrincipal", KEP_TEST_PANE_GOOD, "");
  pid_t pid = launch();
  EXPECT_EQ(exit_status(pid), 1);
  Dictionary alert = read_dictionary(window_file("alert.state"));
  EXPECT_EQ(text(alert, "visible"), "0");
  const Value* shows = alert.find("shows");
  ASSERT_TRUE(shows && shows->as_dictionary());
  EXPECT_EQ(text(*shows->as_dictionary(), "informative"),
            "Preferences are not available for IMKKEPPreferences.");
  EXPECT_EQ(text(*shows->as_dictionary(), "answer"), "OK");
  EXPECT_FALSE(fs::exists(window_file("Preferences.state")));
}

}  // namespace
}  // namespace preferences
