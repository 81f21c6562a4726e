// The dictionary pane as the preferences program holds it: the staged bundle loaded through
// the plug-in loader, a scratch home, the program's run loop, window registry and user
// defaults (which the test program offers the pane as the real program does), and the
// preferences window with the pane's view in it.
#pragma once

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "celldict/scel_writer.h"
#include "platform/files.h"
#include "platform/notify.h"
#include "platform/runloop.h"
#include "platform/tests/test_support.h"
#include "platform/ui/controls.h"
#include "platform/ui/plugin.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/table_view.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"
#include "preferences/host/pane_protocol.h"

namespace dictpane_test {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;

// What the test program offers the pane, as the preferences program does.
struct HostServices {
  platform::RunLoop* loop = nullptr;
  platform::ui::UserDefaults* defaults = nullptr;
};
HostServices& host_services();

// The staged bundle, copied once into a private folder and loaded for the whole program.
class LoadedBundle {
 public:
  static LoadedBundle& get();
  const fs::path& path() const { return bundle_; }
  preferences::PreferencePanesFactory factory() const { return factory_; }
  const std::string& failure() const { return failure_; }

 private:
  LoadedBundle();
  platform::testing_support::TempDir temp_;
  fs::path bundle_;
  preferences::PreferencePanesFactory factory_ = nullptr;
  std::string failure_;
};

inline void write_file(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file under a folder with its bytes, to show a folder was left byte for byte.
std::map<std::string, std::string> tree_of(const fs::path& folder);
// The names directly in a folder, hidden ones included, sorted.
std::vector<std::string> names_in(const fs::path& folder);

// A cell dictionary of `count` two-character words.
scel::WriterContents cell_dict(const std::string& uid, std::size_t count,
                               const std::string& name = "Test words",
                               const std::string& remark = "for the pane's tests",
                               std::int32_t version = 1262304000);
void write_cell_dict(const fs::path& path, const scel::WriterContents& contents);
std::string cell_dict_bytes(const scel::WriterContents& contents);

// Distributed notifications of one name and object seen on the loop.
class PostCounter {
 public:
  PostCounter(platform::RunLoop& loop, const std::string& name, const std::string& object);
  int count() const { return count_; }

 private:
  std::unique_ptr<platform::notify::DistributedCenter> center_;
  int count_ = 0;
};

class PaneTest : public ::testing::Test {
 protected:
  PaneTest();
  ~PaneTest() override;

  void SetUp() override;
  void TearDown() override;

  fs::path home() const { return temp_.path() / "home"; }
  fs::path dictionaries() const { return home() / "Library/KEP/Dictionary"; }
  fs::path scratch() const { return temp_.path() / "scratch"; }

  // Runs the loop until `done` holds, at most `limit`; whether it held.
  bool run_until(const std::function<bool()>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(60));
  // Runs the loop for a short while, for what is queued already.
  void settle();

  platform::ui::View* find(const std::string& identifier) const;
  template <typename T>
  T* find_as(const std::string& identifier) const {
    return dynamic_cast<T*>(find(identifier));
  }
  platform::ui::TableView* table() const { return find_as<platform::ui::TableView>("dictList"); }
  // A window of the program by name (sheets, panels); nullptr when none.
  platform::ui::Window* window(const std::string& name) const { return registry_.find(name); }
  platform::ui::View* find_in(const std::string& window_name, const std::string& identifier) const;
  // "ok" or the reason a control command was refused.
  std::string command(const std::string& text) { return registry_.perform(text); }
  bool click(const std::string& identifier);
  bool click_in(const std::string& window_name, const std::string& identifier);

  // The dictionary table's rows: NAME, AUTHOR, DATE, COUNT and the TYPE picture's name.
  std::vector<std::vector<std::string>> rows() const;

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

}  // namespace dictpane_test
