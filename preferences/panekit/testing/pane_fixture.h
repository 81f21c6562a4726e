// A pane as the preferences program holds it, for a pane's tests: the staged bundle loaded once
// through the plug-in loader, a scratch home, the program's run loop, window registry and user
// defaults (offered to the pane as the real program offers them), and the preferences window
// with the pane's view in it. The test program defines the services the program exports, so it
// links this source once and is built with exported symbols.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
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

namespace panekit_test {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& contents);
std::string read_file(const fs::path& path);
// The names directly in a folder, hidden ones included, sorted; none for a missing folder.
std::vector<std::string> names_in(const fs::path& folder);

// What the test program offers the pane, as the preferences program does.
struct HostServices {
  platform::RunLoop* loop = nullptr;
  platform::ui::UserDefaults* defaults = nullptr;
};
HostServices& host_services();

// The staged bundle, copied once into a private folder and loaded for the whole program.
class LoadedBundle {
 public:
  // The first call names the staged bundle; later ones get the same.
  static LoadedBundle& get(const fs::path& staged_bundle);
  const fs::path& path() const { return bundle_; }
  preferences::PreferencePanesFactory factory() const { return factory_; }
  const std::string& failure() const { return failure_; }

 private:
  explicit LoadedBundle(const fs::path& staged_bundle);
  platform::testing_support::TempDir temp_;
  fs::path bundle_;
  preferences::PreferencePanesFactory factory_ = nullptr;
  std::string failure_;
};

class PaneFixture : public ::testing::Test {
 protected:
  fs::path home() const { return temp_.path() / "home"; }

  // The scratch home and run-time folder, the program's services and the pane, made from the
  // bundle. `with_defaults`: the program offers its user defaults too.
  void start_pane(const fs::path& staged_bundle, bool with_defaults = true);
  // The preferences window of that name with the pane's view in it, as the program shows a pane.
  void show_in_window(const std::string& name, double height);
  // The pane first, as when the program ends: it waits for its workers.
  void stop_pane();

  // Runs the loop until `done` holds, at most `limit`; whether it held.
  bool run_until(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(60));
  // Runs the loop for a short while, for what is queued already.
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
  // A window of the program by name (sheets, panels); nullptr when none.
  platform::ui::Window* window(const std::string& name) const { return registry_.find(name); }
  // "ok" or the reason a control command was refused.
  std::string command(const std::string& text) { return registry_.perform(text); }
  // Clicks an enabled button; false when there is none.
  bool click(const std::string& identifier);
  bool click_in(const std::string& window_name, const std::string& identifier);

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
};

}  // namespace panekit_test
