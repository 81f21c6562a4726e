// The code-table pane as the preferences program holds it: the staged bundle loaded through the
// plug-in loader, a scratch home, the program's run loop, window registry and user defaults
// (offered to the pane as the real program offers them), and the preferences window with the
// pane's view in it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/runloop.h"
#include "platform/tests/test_support.h"
#include "platform/ui/controls.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"
#include "preferences/host/pane_protocol.h"

namespace codetablepane_test {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& contents);
std::string read_file(const fs::path& path);
// The names directly in a folder, hidden ones included, sorted; none for a missing folder.
std::vector<std::string> names_in(const fs::path& folder);

class PaneTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  fs::path home() const { return temp_.path() / "home"; }
  fs::path tables() const { return home() / "Library/KEP/PlugCodeTable"; }
  fs::path scratch() const { return temp_.path() / "scratch"; }

  // A complete table in `folder`: built from `source`, with `line` as its scheme line.
  void make_table(const fs::path& folder, const std::string& name, const std::string& source,
                  const std::string& line = "5|*|1|1|0|0|a-z|a-z");
  // Shows the pane with these settings, as the program does when the pane is first shown.
  void show(platform::plist::Dictionary prefs);

  bool run_until(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(60));
  void settle();

  platform::ui::View* find(const std::string& identifier) const;
  platform::ui::View* find_in(const std::string& window_name, const std::string& identifier) const;
  template <typename T>
  T* find_as(const std::string& identifier) const {
    return dynamic_cast<T*>(find(identifier));
  }
  template <typename T>
  T* find_in_as(const std::string& window_name, const std::string& identifier) const {
    return dynamic_cast<T*>(find_in(window_name, identifier));
  }
  platform::ui::Window* window(const std::string& name) const { return registry_.find(name); }
  // "ok" or the reason a control command was refused.
  std::string command(const std::string& text) { return registry_.perform(text); }
  bool click(const std::string& identifier);
  bool click_in(const std::string& window_name, const std::string& identifier);
  // The informative text of the last alert of that name; empty when none ran.
  std::string alert_text(const std::string& name) const;
  // The rows of the scheme list, in order.
  std::vector<std::string> rows() const;

  platform::testing_support::TempDir temp_;
  std::optional<platform::testing_support::ScopedEnv> home_env_;
  std::optional<platform::testing_support::ScopedEnv> runtime_env_;
  std::optional<platform::testing_support::ScopedEnv> render_env_;
  platform::RunLoop loop_;
  platform::ui::WindowRegistry registry_;
  std::optional<platform::ui::UserDefaults> defaults_;
  std::unique_ptr<platform::ui::Window> window_;
  preferences::PreferencePanes panes_;
  preferences::PreferencePane* pane_ = nullptr;
  platform::plist::Dictionary prefs_;
};

}  // namespace codetablepane_test
