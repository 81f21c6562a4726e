#include "preferences/panekit/testing/pane_fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/ui/plugin.h"

namespace panekit_test {

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
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

HostServices& host_services() {
  static HostServices services;
  return services;
}

}  // namespace panekit_test

// The program's services, as the preferences program exports them to its panes.
platform::RunLoop* kep_preferences_run_loop() { return panekit_test::host_services().loop; }
platform::ui::UserDefaults* kep_preferences_user_defaults() {
  return panekit_test::host_services().defaults;
}

namespace panekit_test {

LoadedBundle& LoadedBundle::get(const fs::path& staged_bundle) {
  static LoadedBundle loaded(staged_bundle);
  return loaded;
}

namespace {

// "X.bundle" of ".../X.bundle", ".../X.bundle/" and ".../X.bundle/Contents/..".
fs::path bundle_name(const fs::path& bundle) {
  fs::path normal = bundle.lexically_normal();
  if (!normal.has_filename()) normal = normal.parent_path();
  return normal.filename();
}

}  // namespace

LoadedBundle::LoadedBundle(const fs::path& staged_bundle)
    : bundle_(temp_.path() / bundle_name(staged_bundle)) {
  fs::copy(staged_bundle, bundle_, fs::copy_options::recursive);
  const fs::path library = bundle_ / "Contents/MacOS" / bundle_.stem();
  ::chmod(library.c_str(), 0755);
  const platform::ui::ClassProtocol protocol{preferences::kPaneProtocolName,
                                             preferences::kPaneAbiVersion,
                                             {preferences::kPreferencePanesEntry}};
  auto result = platform::ui::load_plugin(bundle_, protocol);
  if (!result.loaded) {
    failure_ = std::string(platform::ui::refusal_name(result.failure->refusal)) + ": " +
               result.failure->detail;
    return;
  }
  factory_ = result.loaded->entry<preferences::PreferencePanesFactory>(
      preferences::kPreferencePanesEntry);
}

void PaneFixture::start_pane(const fs::path& staged_bundle, bool with_defaults) {
  fs::create_directories(home());
  fs::create_directories(temp_.path() / "runtime");
  fs::permissions(temp_.path() / "runtime", fs::perms::owner_all);
  home_env_.emplace("HOME", home().string());
  runtime_env_.emplace("KEP_RUNTIME_DIR", (temp_.path() / "runtime").string());
  render_env_.emplace("KEP_RENDER_DIR", std::nullopt);
  host_services().loop = &loop_;
  if (with_defaults) {
    defaults_ = platform::ui::UserDefaults::at(home() / "Library/Preferences/test.plist");
    host_services().defaults = &*defaults_;
  }

  LoadedBundle& bundle = LoadedBundle::get(staged_bundle);
  ASSERT_NE(bundle.factory(), nullptr) << bundle.failure();
  panes_ = bundle.factory()();
  ASSERT_EQ(panes_.size(), 1u);
  pane_ = panes_[0].get();
}

void PaneFixture::show_in_window(const std::string& name, double height) {
  window_ = std::make_unique<platform::ui::Window>(name, "Preferences",
                                                   platform::ui::Rect{0, 0, 600, height});
  registry_.add(*window_);
  pane_->setParentWindow(window_.get());
  platform::ui::View* view = pane_->paneView();
  ASSERT_NE(view, nullptr);
  auto root = std::make_unique<platform::ui::View>();
  root->add_subview(std::unique_ptr<platform::ui::View>(view));
  window_->set_content_view(std::move(root));
  window_->order_front();
}

void PaneFixture::stop_pane() {
  panes_.clear();
  pane_ = nullptr;
  window_.reset();
  host_services() = {};
}

bool PaneFixture::run_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    loop_.run_for(std::chrono::milliseconds(5));
  }
  return true;
}

void PaneFixture::settle() {
  for (int i = 0; i < 10; ++i) loop_.run_for(std::chrono::milliseconds(2));
}

platform::ui::View* PaneFixture::find(const std::string& identifier) const {
  return window_->find_view(identifier);
}

platform::ui::View* PaneFixture::find_in(const std::string& window_name,
                                         const std::string& identifier) const {
  platform::ui::Window* found = window(window_name);
  return found != nullptr ? found->find_view(identifier) : nullptr;
}

bool PaneFixture::click(const std::string& identifier) {
  auto* button = find_as<platform::ui::Button>(identifier);
  if (button == nullptr || !button->is_enabled()) return false;
  button->perform_click();
  return true;
}

bool PaneFixture::click_in(const std::string& window_name, const std::string& identifier) {
  auto* button = find_in_as<platform::ui::Button>(window_name, identifier);
  if (button == nullptr || !button->is_enabled()) return false;
  button->perform_click();
  return true;
}

}  // namespace panekit_test
