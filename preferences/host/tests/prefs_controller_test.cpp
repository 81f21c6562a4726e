#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/tests/test_support.h"
#include "platform/ui/alert.h"
#include "platform/ui/dialog_log.h"
#include "preferences/host/prefs_controller.h"
#include "preferences/host/tests/pane_folder.h"

namespace preferences {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::testing_support::ScopedEnv;
using platform::testing_support::TempDir;

std::vector<std::string>& dialog_lines() {
  static std::vector<std::string> lines;
  return lines;
}
void take_dialog_line(std::string_view line) { dialog_lines().emplace_back(line); }

std::string read_bytes(const fs::path& path) {
  std::error_code error;
  return platform::files::read_file(path, error).value_or("<unreadable>");
}

void write_bytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::error_code error;
  ASSERT_TRUE(platform::files::write_atomic(path, bytes, error)) << error.message();
}

// The program's bundle, the server's shipped settings and a private HOME and runtime folder.
class PrefsHostTest : public ::testing::Test {
 protected:
  // One start of the program: its loop, windows, class names and messages.
  struct Run {
    platform::RunLoop loop;
    platform::ui::WindowRegistry windows;
    platform::ui::ClassRegistry classes;
    std::vector<std::string> log;
    bool quit = false;
    std::unique_ptr<IMKPreferencesController> controller;
    bool shown = false;

    bool logged(std::string_view text) const {
      for (const auto& line : log) {
        if (line.find(text) != std::string::npos) return true;
      }
      return false;
    }
  };

  PrefsHostTest()
      : home_(temp_.path() / "home"),
        runtime_(temp_.path() / "run"),
        app_(temp_.path() / "IMKKEPPreferences.app"),
        shipped_(temp_.path() / "IMKKEP.app/Contents/Resources/imkkep.plist"),
        home_env_("HOME", home_.string()),
        runtime_env_("KEP_RUNTIME_DIR", runtime_.string()),
        render_env_("KEP_RENDER_DIR", std::nullopt),
        panes_(app_ / "Contents/SharedSupport") {
    fs::create_directories(home_);
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
    fs::create_directories(app_ / "Contents/Resources/English.lproj");
    fs::copy_file(KEP_PREFERENCES_INFO, app_ / "Contents/Info.plist");
    fs::copy_file(KEP_PREFERENCES_STRINGS,
                  app_ / "Contents/Resources/English.lproj/Localizable.strings");
    fs::copy_file(KEP_SHIPPED_SETTINGS, app_ / "Contents/Resources/imkkep.plist");
    fs::create_directories(shipped_.parent_path());
    fs::copy_file(KEP_SHIPPED_SETTINGS, shipped_);
    platform::ui::set_dialog_log_sink(&take_dialog_line);
    dialog_lines().clear();
  }
  ~PrefsHostTest() override { platform::ui::set_dialog_log_sink(nullptr); }

  void add_pane(const std::string& name, const fs::path& library,
                const std::string& principal_class) {
    panes_.add(name, library, principal_class);
  }
  void add_pages() { add_pane("Pages", KEP_TEST_PANE_PAGES, "PagesPaneController"); }

  std::unique_ptr<Run> start(bool debug = false) {
    auto run = std::make_unique<Run>();
    auto bundle = platform::Bundle::at(app_);
    EXPECT_TRUE(bundle);
    IMKPreferencesController::Paths paths{home_ / "Library/KEP", shipped_};
    Run* r = run.get();
    run->controller = std::make_unique<IMKPreferencesController>(
        run->windows, run->loop, *bundle, paths,
        [r](const std::string& line) { r->log.push_back(line); }, [r] { r->quit = true; });
    run->controller->prefsController().setClassRegistry(run->classes);
    run->shown = run->controller->awakeFromNib(debug);
    return run;
  }

  // Runs the loop until `done` holds, for at most ten seconds.
  template <typename Done>
  static bool run_until(Run& run, Done done) {
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      run.loop.run_for(10ms);
    }
    return true;
  }

  static void close(Run& run) {
    EXPECT_EQ(run.windows.perform("close Preferences"), "ok");
    EXPECT_TRUE(run_until(run, [&] { return run.quit; }));
  }

  fs::path window_file(const std::string& name) const {
    return runtime_ / "windows" / kProgramName / name;
  }
  Dictionary state() const {
    std::error_code error;
    auto value = platform::plist::read_file(window_file("Preferences.state"), error);
    if (!value || !value->as_dictionary()) return {};
    return *value->as_dictionary();
  }
  static std::string text(const Dictionary& dict, std::string_view key) {
    const Value* value = dict.find(key);
    return value && value->as_string() ? *value->as_string() : "<none>";
  }
  static double number(const Dictionary& dict, std::string_view key) {
    const Value* value = dict.find(key);
    return value ? value->real_value().value_or(-1) : -1;
  }
  static Dictionary sub(const Dictionary& dict, std::string_view key) {
    const Value* value = dict.find(key);
    return value && value->as_dictionary() ? *value->as_dictionary() : Dictionary{};
  }
  static std::vector<std::string> items(const Dictionary& window_state) {
    std::vector<std::string> names;
    const Dictionary toolbar = sub(window_state, "toolbar");
    const Value* value = toolbar.find("items");
    if (value && value->as_array()) {
      for (const auto& each : *value->as_array()) names.push_back(*each.as_string());
    }
    return names;
  }
  Dictionary user_settings() const {
    std::error_code error;
    auto value = platform::plist::read_file(settings_file(), error);
    return value && value->as_dictionary() ? *value->as_dictionary() : Dictionary{};
  }
  fs::path settings_file() const { return home_ / "Library/KEP/imkkep.plist"; }

  TempDir temp_;
  fs::path home_;
  fs::path runtime_;
  fs::path app_;
  fs::path shipped_;
  ScopedEnv home_env_;
  ScopedEnv runtime_env_;
  ScopedEnv render_env_;
  testing_support::PaneFolder panes_;
};

TEST_F(PrefsHostTest, ToolbarHoldsTheLoadedPanesInTheLocalizedOrderAndShowsTheFirst) {
  add_pages();
  add_pane("Good", KEP_TEST_PANE_GOOD, "GoodPaneController");
  add_pane("NoPrincipal", KEP_TEST_PANE_GOOD, "");
  add_pane("Twin", KEP_TEST_PANE_PAGES, "PagesPaneController");
  add_pane("OtherProtocol", KEP_TEST_PANE_ODD, "OtherProtocolController");
  add_pane("Rootless", KEP_TEST_PANE_ODD, "RootlessController");
  write_bytes(app_ / "Contents/SharedSupport/Broken.bundle/Contents/MacOS/Broken", "junk");
  auto run = start(/*debug=*/true);
  ASSERT_TRUE(run->shown);

  Dictionary shown = state();
  EXPECT_EQ(items(shown), (std::vector<std::string>{"General", "Advanced"}));
  EXPECT_EQ(text(shown, "title"), "General");
  EXPECT_EQ(text(sub(shown, "toolbar"), "selected"), "General");
  EXPECT_EQ(shown.find("visible")->bool_value(), true);
  // The page's own size under the toolbar; not resizable either way.
  Dictionary frame = sub(shown, "frame");
  const double toolbar_height = run->controller->prefsController().window()->toolbar()->height();
  EXPECT_EQ(number(frame, "width"), 380);
  EXPECT_EQ(number(frame, "height"), 220 + toolbar_height);
  EXPECT_EQ(number(sub(shown, "minSize"), "width"), 380);
  EXPECT_EQ(number(sub(shown, "maxSize"), "height"), 220 + toolbar_height);

  const std::string shared = (app_ / "Contents/SharedSupport").string();
  const std::string prefix = "[--- PREFERENCES DEBUG MESSAGE ---]\r";
  for (const std::string& expected : {
           "Could not obtain name of Principal Class for bundle: " + shared + "/NoPrincipal.bundle",
           "Did not load bundle: " + shared +
               "/Twin.bundle because its Principal Class was already used in another Preference "
               "pane.",
           "Did not load bundle: " + shared +
               "/OtherProtocol.bundle because its Principal Class is either not an NSObject "
               "subclass, or does not conform to the PreferencePane Protocol.",
           "Did not load bundle: " + shared +
               "/Rootless.bundle because its Principal Class is either not an NSObject "
               "subclass, or does not conform to the PreferencePane Protocol.",
           "Could not initialize bundle: " + shared + "/Broken.bundle",
           std::string("Did not add preference pane \"Candidate\" to the toolbar ordering array, "
                       "because that pane does not exist."),
       }) {
    EXPECT_TRUE(run->logged(prefix + expected + "\r\r")) << expected;
  }
  const std::string missing = "Did not add preference pane \"Candidate\"";
  EXPECT_EQ(std::count_if(run->log.begin(), run->log.end(),
                          [&](const std::string& line) {
                            return line.find(missing) != std::string::npos;
                          }),
            1);
  // The good pane loaded, yet its name is none of the program's panes; the nameless page
  // answers to its class name.
  EXPECT_FALSE(run->logged("Good.bundle"));
  EXPECT_TRUE(run->controller->prefsController().loadPrefsPaneNamed("PagesPaneController", true));
  EXPECT_EQ(text(state(), "title"), "PagesPaneController");
  close(*run);
}

TEST_F(PrefsHostTest, DebugMessagesAreSilentWhileDebugIsOff) {
  add_pages();
  add_pane("NoPrincipal", KEP_TEST_PANE_GOOD, "");
  auto run = start(/*debug=*/false);
  ASSERT_TRUE(run->shown);
  EXPECT_FALSE(run->logged("PREFERENCES DEBUG MESSAGE"));
  EXPECT_FALSE(run->logged("NoPrincipal"));
  close(*run);
}

TEST_F(PrefsHostTest, AToolbarClickSwitchesAndARestartOpensOnTheLastPane) {
  add_pages();
  {
    auto run = start();
    ASSERT_TRUE(run->shown);
    const platform::ui::Rect before = run->controller->prefsController().window()->frame();
    ASSERT_EQ(run->windows.perform("click Preferences Advanced"), "ok");
    Dictionary shown = state();
    EXPECT_EQ(text(shown, "title"), "Advanced");
    EXPECT_EQ(text(sub(shown, "toolbar"), "selected"), "Advanced");
    const platform::ui::Rect after = run->controller->prefsController().window()->frame();
    EXPECT_EQ(after.width, 420);
    EXPECT_DOUBLE_EQ(after.y + after.height, before.y + before.height);  // the top stays
    // Advanced resizes across only.
    EXPECT_EQ(number(sub(shown, "minSize"), "width"), 0);
    EXPECT_EQ(number(sub(shown, "minSize"), "height"), after.height);

    // The shown pane's item again: nothing changes, nothing is written.
    const std::string bytes = read_bytes(window_file("Preferences.state"));
    ASSERT_EQ(run->windows.perform("click Preferences Advanced"), "ok");
    EXPECT_EQ(read_bytes(window_file("Preferences.state")), bytes);
    close(*run);
  }
  auto prefs_file = home_ / "Library/Preferences/com.corvana.inputmethod.IMKKEPPreferences.plist";
  std::error_code error;
  auto stored = platform::plist::read_file(prefs_file, error);
  ASSERT_TRUE(stored && stored->as_dictionary()) << error.message();
  EXPECT_EQ(text(*stored->as_dictionary(),
                 "com.corvana.inputmethod.IMKKEPPreferences_Preferences_Last_Pane_Defaults_Key"),
            "Advanced");

  auto again = start();
  ASSERT_TRUE(again->shown);
  EXPECT_EQ(text(state(), "title"), "Advanced");
  close(*again);
}

TEST_F(PrefsHostTest, ClosingWithNothingChangedLeavesTheFileByteForByte) {
  add_pages();
  // Formatted unlike the program would write it, with the shown page's key already there.
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
      "<key>GeneralClicks</key><integer>0</integer>  <key>Other</key><string>kept</string>"
      "</dict></plist>\n";
  write_bytes(settings_file(), bytes);
  auto run = start();
  ASSERT_TRUE(run->shown);
  close(*run);
  EXPECT_EQ(read_bytes(settings_file()), bytes);
  EXPECT_TRUE(fs::is_directory(home_ / "Library/KEP/PlugCodeTable"));
}

TEST_F(PrefsHostTest, AChangeIsWrittenAndEveryOtherKeyKept) {
  add_pages();
  auto run = start();
  ASSERT_TRUE(run->shown);
  ASSERT_EQ(run->windows.perform("click Preferences GeneralPage"), "ok");
  close(*run);
  Dictionary written = user_settings();
  ASSERT_TRUE(written.find("GeneralClicks"));
  EXPECT_EQ(written.find("GeneralClicks")->integer_value(), 1);
  // Every shipped key stays as it was.
  std::error_code error;
  auto shipped = platform::plist::read_file(shipped_, error);
  ASSERT_TRUE(shipped && shipped->as_dictionary());
  for (const auto& entry : shipped->as_dictionary()->entries()) {
    const Value* value = written.find(entry.first);
    ASSERT_TRUE(value) << entry.first;
    EXPECT_EQ(*value, entry.second) << entry.first;
  }
  EXPECT_EQ(written.size(), shipped->as_dictionary()->size() + 1);
}

TEST_F(PrefsHostTest, AUserWithoutASettingsFileGetsTheShownPanesValuesOnClose) {
  add_pages();
  auto run = start();
  ASSERT_TRUE(run->shown);
  EXPECT_FALSE(fs::exists(settings_file()));
  close(*run);
  Dictionary written = user_settings();
  ASSERT_TRUE(written.find("GeneralClicks"));
  EXPECT_EQ(written.find("GeneralClicks")->integer_value(), 0);
  EXPECT_FALSE(written.find("AdvancedClicks"));  // never shown
}

TEST_F(PrefsHostTest, AnUnreadableSettingsFileIsNeverWrittenOver) {
  add_pages();
  const std::string bytes = "<plist><dict><key>broken";
  write_bytes(settings_file(), bytes);
  auto run = start();
  ASSERT_TRUE(run->shown);
  EXPECT_TRUE(run->logged("cannot be read"));
  ASSERT_EQ(run->windows.perform("click Preferences GeneralPage"), "ok");
  close(*run);
  EXPECT_EQ(read_bytes(settings_file()), bytes);
  EXPECT_TRUE(run->logged("Settings are not saved"));
}

TEST_F(PrefsHostTest, AFailedSaveIsLoggedAndShown) {
  add_pages();
  // A file where the settings folder goes.
  write_bytes(home_ / "Library/KEP", "in the way");
  auto run = start();
  ASSERT_TRUE(run->shown);
  ASSERT_EQ(run->windows.perform("click Preferences GeneralPage"), "ok");
  close(*run);
  EXPECT_TRUE(run->logged("Could not save the settings to " + settings_file().string()));
  ASSERT_EQ(dialog_lines().size(), 1u);
  EXPECT_NE(dialog_lines()[0].find("answered by default: OK"), std::string::npos)
      << dialog_lines()[0];
}

TEST_F(PrefsHostTest, WithNoLoadablePaneTheAlertIsAnsweredByDefaultAndNoWindowStays) {
  add_pane("NoPrincipal", KEP_TEST_PANE_GOOD, "");
  add_pane("Rootless", KEP_TEST_PANE_ODD, "RootlessController");
  auto run = start(/*debug=*/true);
  EXPECT_FALSE(run->shown);
  ASSERT_EQ(dialog_lines().size(), 1u);
  EXPECT_NE(dialog_lines()[0].find("answered by default: OK"), std::string::npos)
      << dialog_lines()[0];
  std::error_code error;
  auto alert = platform::plist::read_file(window_file("alert.state"), error);
  ASSERT_TRUE(alert && alert->as_dictionary()) << error.message();
  EXPECT_EQ(alert->as_dictionary()->find("visible")->bool_value(), false);
  const Dictionary alert_shows = sub(*alert->as_dictionary(), "shows");
  EXPECT_EQ(text(alert_shows, "informative"),
            "Preferences are not available for IMKKEPPreferences.");
  EXPECT_EQ(text(alert_shows, "answeredBy"), "by default");
  EXPECT_TRUE(run->logged("Could not load any valid preference panes. The preference pane "
                          "bundle extension was \"bundle\" and the search path was: " +
                          (app_ / "Contents/SharedSupport").string()));
  EXPECT_FALSE(fs::exists(window_file("Preferences.state")));
  EXPECT_FALSE(fs::exists(settings_file()));
}

TEST_F(PrefsHostTest, RestoreReplacesTheFileOnYesAndChangesNothingOnNo) {
  add_pages();
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
      "<key>GeneralClicks</key><integer>5</integer></dict></plist>\n";
  write_bytes(settings_file(), bytes);
  auto run = start();
  ASSERT_TRUE(run->shown);
  auto page_count = [&] {
    Dictionary views = sub(state(), "views");
    const Value* subviews = views.find("subviews");
    if (!subviews || !subviews->as_array() || subviews->as_array()->empty()) return -1.0;
    return number(*subviews->as_array()->front().as_dictionary(), "count");
  };
  EXPECT_EQ(page_count(), 5);

  ASSERT_EQ(run->windows.perform("answer alert BUTTON_NO"), "ok");
  run->controller->restoreToDefault();
  ASSERT_TRUE(run_until(*run, [&] { return !run->windows.find("alert") ||
                                           !static_cast<platform::ui::Alert*>(
                                                run->windows.find("alert"))->is_running(); }));
  run->loop.run_for(50ms);
  EXPECT_EQ(read_bytes(settings_file()), bytes);
  EXPECT_FALSE(run->logged("Restore resource"));

  ASSERT_EQ(run->windows.perform("answer alert BUTTON_YES"), "ok");
  run->controller->restoreToDefault();
  ASSERT_TRUE(run_until(*run, [&] { return run->logged("Reload the configuration..."); }));
  EXPECT_EQ(read_bytes(settings_file()), read_bytes(shipped_));
  EXPECT_TRUE(run->logged("Restore resource " + shipped_.string() + " to " +
                          settings_file().string()));
  EXPECT_EQ(page_count(), 0);  // the shown page reads the shipped values at once
}

}  // namespace
}  // namespace preferences
