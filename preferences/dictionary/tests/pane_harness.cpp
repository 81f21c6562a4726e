#include "pane_harness.h"

#include <algorithm>
#include <map>

namespace dictpane_test {

HostServices& host_services() {
  static HostServices services;
  return services;
}

}  // namespace dictpane_test

// The program's services, as the preferences program exports them to its panes.
platform::RunLoop* kep_preferences_run_loop() { return dictpane_test::host_services().loop; }
platform::ui::UserDefaults* kep_preferences_user_defaults() {
  return dictpane_test::host_services().defaults;
}

namespace dictpane_test {

LoadedBundle& LoadedBundle::get() {
  static LoadedBundle loaded;
  return loaded;
}

LoadedBundle::LoadedBundle() : bundle_(temp_.path() / "DictionaryPane.bundle") {
  fs::copy(KEP_DICTIONARY_PANE_BUNDLE, bundle_, fs::copy_options::recursive);
  ::chmod((bundle_ / "Contents/MacOS/DictionaryPane").c_str(), 0755);
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

std::map<std::string, std::string> tree_of(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] =
        entry.is_regular_file() ? read_file(entry.path()) : std::string("<folder>");
  }
  return files;
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

scel::WriterContents cell_dict(const std::string& uid, std::size_t count, const std::string& name,
                               const std::string& remark, std::int32_t version) {
  static const std::vector<std::string> kSyllables = {"zhong", "guo", "ren", "min", "da",
                                                      "xue",   "shi", "jie", "he",  "ping"};
  static const std::vector<std::string> kCharacters = {"中", "国", "人", "民", "大",
                                                       "学", "世", "界", "和", "平"};
  scel::WriterContents contents;
  contents.uid = uid;
  contents.name = name;
  contents.remark = remark;
  contents.samples = {"中国"};
  contents.version = version;
  for (std::size_t i = 0; i < count; ++i) {
    // Every word its own: two syllables and two characters picked by the digits of i.
    const std::size_t a = i % 10, b = (i / 10) % 10;
    std::vector<std::string> syllables = {kSyllables[a], kSyllables[b]};
    std::string text = kCharacters[a] + kCharacters[b];
    for (std::size_t rest = i / 100; rest > 0; rest /= 10) {
      syllables.push_back(kSyllables[rest % 10]);
      text += kCharacters[rest % 10];
    }
    contents.words.push_back({syllables, text, static_cast<float>(i % 1000)});
  }
  return contents;
}

std::string cell_dict_bytes(const scel::WriterContents& contents) {
  std::string error;
  auto bytes = scel::encode_file(contents, &error);
  EXPECT_TRUE(bytes.has_value()) << error;
  return bytes.value_or("");
}

void write_cell_dict(const fs::path& path, const scel::WriterContents& contents) {
  write_file(path, cell_dict_bytes(contents));
}

PostCounter::PostCounter(platform::RunLoop& loop, const std::string& name,
                         const std::string& object) {
  std::error_code error;
  center_ = platform::notify::DistributedCenter::create(loop, error);
  EXPECT_TRUE(center_) << error.message();
  if (center_) {
    center_->add_observer(name, object, [this](const platform::notify::Notification&) { ++count_; });
  }
}

PaneTest::PaneTest() = default;
PaneTest::~PaneTest() = default;

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

  // The preferences window with the pane's view in it, as the program shows a pane.
  window_ = std::make_unique<platform::ui::Window>("DictionaryPaneTest", "Preferences",
                                                   platform::ui::Rect{0, 0, 600, 460});
  registry_.add(*window_);
  pane_->setParentWindow(window_.get());
  platform::ui::View* view = pane_->paneView();
  ASSERT_NE(view, nullptr);
  auto root = std::make_unique<platform::ui::View>();
  root->add_subview(std::unique_ptr<platform::ui::View>(view));
  window_->set_content_view(std::move(root));
  window_->order_front();
}

void PaneTest::TearDown() {
  // The pane first, as when the program ends: it waits for its workers.
  panes_.clear();
  pane_ = nullptr;
  window_.reset();
  host_services() = {};
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

platform::ui::View* PaneTest::find_in(const std::string& window_name,
                                      const std::string& identifier) const {
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
  auto* button = dynamic_cast<platform::ui::Button*>(find_in(window_name, identifier));
  if (button == nullptr || !button->is_enabled()) return false;
  button->perform_click();
  return true;
}

std::vector<std::vector<std::string>> PaneTest::rows() const {
  std::vector<std::vector<std::string>> shown;
  platform::ui::TableView* list = table();
  if (list == nullptr || list->data_source() == nullptr) return shown;
  platform::ui::TableDataSource& source = *list->data_source();
  const int count = source.number_of_rows(*list);
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (const char* column : {"NAME", "AUTHOR", "DATE", "COUNT"}) {
      cells.push_back(source.object_value(*list, column, row).value_or("<none>"));
    }
    auto image = source.image_value(*list, "TYPE", row);
    cells.push_back(image ? image->name : "<no image>");
    shown.push_back(std::move(cells));
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}

}  // namespace dictpane_test
