#include "pane_harness.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/ui/alert.h"
#include "platform/ui/plugin.h"
#include "platform/ui/table_view.h"
#include "preferences/codetable/table_build.h"

namespace codetablepane_test {

namespace {

struct HostServices {
  platform::RunLoop* loop = nullptr;
  platform::ui::UserDefaults* defaults = nullptr;
};

HostServices& host_services() {
  static HostServices services;
  return services;
}

// The staged bundle, copied once into a private folder and loaded for the whole program.
class LoadedBundle {
 public:
  static LoadedBundle& get() {
    static LoadedBundle loaded;
    return loaded;
  }
  preferences::PreferencePanesFactory factory() const { return factory_; }
  const std::string& failure() const { return failure_; }

 private:
  LoadedBundle() {
    const fs::path bundle = temp_.path() / "CodeTablePane.bundle";
    fs::copy(KEP_CODETABLE_PANE_BUNDLE, bundle, fs::copy_options::recursive);
    ::chmod((bundle / "Contents/MacOS/CodeTablePane").c_str(), 0755);
    const platform::ui::ClassProtocol protocol{preferences::kPaneProtocolName,
                                               preferences::kPaneAbiVersion,
                                               {preferences::kPreferencePanesEntry}};
    auto result = platform::ui::load_plugin(bundle, protocol);
    if (!result.loaded) {
      failure_ = std::string(platform::ui::refusal_name(result.failure->refusal)) + ": " +
                 result.failure->detail;
      return;
    }
    factory_ = result.loaded->entry<preferences::PreferencePanesFactory>(preferences::kPreferencePanesEntry);
  }
  platform::testing_support::TempDir temp_;
  preferences::PreferencePanesFactory factory_ = nullptr;
  std::string failure_;
};

}  // namespace

void write_file(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace codetablepane_test

// The program's services, as the preferences program exports them to its panes.
platform::RunLoop* kep_preferences_run_loop() { return codetablepane_test::host_services().loop; }
platform::ui::UserDefaults* kep_preferences_user_defaults() {
  return codetablepane_test::host_services().defaults;
}

namespace codetablepane_test {

void PaneTest::SetUp() {
  fs::create_directories(home());
  fs::create_directories(scratch());
  fs::create_directories(temp_.path() / "runtime");
  fs::permissions(temp_.path() / "runtime", fs::perms::owner_all);
  home_env_.emplace("HOME", home().string());
  runtime_env_.emplace("KEP_RUNTIME_DIR", (temp_.path() / "runtime").string());
  render_env_.emplace("KEP_RENDER_DIR", std::nullopt);
  defaults_ = platform::ui::UserDefaults::at(home() / "Library/Preferences/test.plist");
  host_services().loop = &loop_;
  host_services().defaults = &*defaults_;

  LoadedBundle& bundle = LoadedBundle::get();
  ASSERT_NE(bundle.factory(), nullptr) << bundle.failure();
  panes_ = bundle.factory()();
  ASSERT_EQ(panes_.size(), 1u);
  pane_ = panes_[0].get();
}

void PaneTest::show(platform::plist::Dictionary prefs) {
  prefs_ = std::move(prefs);
  window_ = std::make_unique<platform::ui::Window>("CodeTablePaneTest", "Preferences",
                                                   platform::ui::Rect{0, 0, 600, 460});
  registry_.add(*window_);
  pane_->setParentWindow(window_.get());
  platform::ui::View* view = pane_->paneView();
  ASSERT_NE(view, nullptr);
  auto root = std::make_unique<platform::ui::View>();
  root->add_subview(std::unique_ptr<platform::ui::View>(view));
  window_->set_content_view(std::move(root));
  window_->order_front();
  pane_->loadPrefs(prefs_);
}

void PaneTest::TearDown() {
  // The pane first, as when the program ends: it waits for its workers.
  panes_.clear();
  pane_ = nullptr;
  window_.reset();
  host_services() = {};
}

void PaneTest::make_table(const fs::path& folder, const std::string& name, const std::string& source,
                          const std::string& line) {
  fs::create_directories(folder);
  const fs::path text = scratch() / (name + ".source.txt");
  write_file(text, source);
  std::string error;
  ASSERT_EQ(codetable::BuildSQLPlug(text, name, folder, nullptr, &error), 0) << error;
  write_file(folder / (name + ".pct"), line);
}

bool PaneTest::run_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    loop_.run_for(std::chrono::milliseconds(5));
  }
  return true;
}

void PaneTest::settle() {
  for (int i = 0; i < 10; ++i) loop_.run_for(std::chrono::milliseconds(2));
}

platform::ui::View* PaneTest::find(const std::string& identifier) const {
  return window_->find_view(identifier);
}

platform::ui::View* PaneTest::find_in(const std::string& window_name, const std::string& identifier) const {
  platform::ui::Window* found = window(window_name);
  return found != nullptr ? found->find_view(identifier) : nullptr;
}

bool PaneTest::click(const std::string& identifier) {
  auto* button = find_as<platform::ui::Button>(identifier);
  if (button == nullptr || !button->is_enabled()) return false;
  button->perform_click();
  return true;
}

bool PaneTest::click_in(const std::string& window_name, const std::string& identifier) {
  auto* button = find_in_as<platform::ui::Button>(window_name, identifier);
  if (button == nullptr || !button->is_enabled()) return false;
  button->perform_click();
  return true;
}

std::string PaneTest::alert_text(const std::string& name) const {
  auto* alert = dynamic_cast<platform::ui::Alert*>(window(name));
  return alert != nullptr ? alert->informative_text() : std::string();
}

std::vector<std::string> PaneTest::rows() const {
  std::vector<std::string> shown;
  auto* list = find_as<platform::ui::TableView>("schemeList");
  if (list == nullptr || list->data_source() == nullptr) return shown;
  const int count = list->data_source()->number_of_rows(*list);
  for (int row = 0; row < count; ++row) {
    shown.push_back(list->data_source()->object_value(*list, "NAME", row).value_or("<none>"));
  }
  return shown;
}

}  // namespace codetablepane_test
