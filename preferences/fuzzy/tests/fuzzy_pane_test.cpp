// The fuzzy pinyin pane as the preferences program sees it: the staged bundle loaded through the
// plug-in loader and driven only through the pane protocol and the views it hands out.
#include <sys/stat.h>

#include <cstdio>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/gfx/image.h"
#include "platform/tests/test_support.h"
#include "platform/ui/check_box_matrix.h"
#include "platform/ui/controls.h"
#include "platform/ui/plugin.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "preferences/host/pane_protocol.h"

namespace preferences {
namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::CheckBox;
using platform::ui::CheckBoxMatrix;
using platform::ui::View;

constexpr const char* kEnableKey = "EnableFuzzyPinyin";

struct Cell {
  const char* key;
  int row;
  int column;
  const char* title;
};
// The pairs in the order the pane saves them, with the cell each one is shown in.
const std::vector<Cell> kCells = {
    {"fuzzy_z2zh", 0, 0, "z = zh"},       {"fuzzy_c2ch", 0, 1, "c = ch"},
    {"fuzzy_s2sh", 0, 2, "s = sh"},       {"fuzzy_k2g", 1, 0, "k = g"},
    {"fuzzy_f2h", 1, 1, "f = h"},         {"fuzzy_l2n", 1, 2, "l = n"},
    {"fuzzy_an2ang", 2, 0, "an = ang"},   {"fuzzy_en2eng", 2, 1, "en = eng"},
    {"fuzzy_in2ing", 2, 2, "in = ing"},   {"fuzzy_ian2iang", 3, 0, "ian = iang"},
    {"fuzzy_uan2uang", 3, 1, "uan = uang"}, {"fuzzy_l2r", 3, 2, "l = r"},
};

// The staged bundle, copied once into a private folder where its library is writable by its
// owner only (whatever the build's umask made of it), and loaded for the whole test program.
class LoadedBundle {
 public:
  static LoadedBundle& get() {
    static LoadedBundle loaded;
    return loaded;
  }

  const fs::path& path() const { return bundle_; }
  PreferencePanesFactory factory() const { return factory_; }
  const std::string& failure() const { return failure_; }

 private:
  LoadedBundle() : bundle_(temp_.path() / "FuzzyPane.bundle") {
    fs::copy(KEP_FUZZY_PANE_BUNDLE, bundle_, fs::copy_options::recursive);
    ::chmod((bundle_ / "Contents/MacOS/FuzzyPane").c_str(), 0755);
    const platform::ui::ClassProtocol protocol{kPaneProtocolName, kPaneAbiVersion,
                                               {kPreferencePanesEntry}};
    platform::ui::ClassRegistry registry;
    auto result = platform::ui::load_plugin(bundle_, protocol, registry);
    if (!result.loaded) {
      failure_ = std::string(platform::ui::refusal_name(result.failure->refusal)) + ": " +
                 result.failure->detail;
      return;
    }
    class_name_ = result.loaded->class_name;
    factory_ = result.loaded->entry<PreferencePanesFactory>(kPreferencePanesEntry);
  }

  platform::testing_support::TempDir temp_;
  fs::path bundle_;
  std::string class_name_;
  PreferencePanesFactory factory_ = nullptr;
  std::string failure_;
};

View* find_view(View& root, const std::string& identifier) {
  if (root.identifier() == identifier) return &root;
  for (const auto& subview : root.subviews()) {
    if (View* found = find_view(*subview, identifier)) return found;
  }
  return nullptr;
}

// A fresh pane of the loaded class with its check box and matrix.
class FuzzyPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadedBundle& bundle = LoadedBundle::get();
    ASSERT_NE(bundle.factory(), nullptr) << bundle.failure();
    panes_ = bundle.factory()();
    ASSERT_EQ(panes_.size(), 1u);
    pane_ = panes_[0].get();
  }

  // Asks for the view (as the host does before loading) and finds the controls in it.
  void show() {
    View* view = pane_->paneView();
    ASSERT_NE(view, nullptr);
    check_box_ = dynamic_cast<CheckBox*>(find_view(*view, "applyFuzzy"));
    matrix_ = dynamic_cast<CheckBoxMatrix*>(find_view(*view, "fuzzyItems"));
    ASSERT_NE(check_box_, nullptr);
    ASSERT_NE(matrix_, nullptr);
  }

  std::vector<bool> cell_states() const {
    std::vector<bool> on;
    for (const Cell& cell : kCells) on.push_back(matrix_->is_on(cell.row, cell.column));
    return on;
  }

  static Dictionary prefs_with(bool enabled, const std::vector<bool>& cells) {
    Dictionary prefs;
    prefs.set(kEnableKey, Value(enabled));
    for (std::size_t i = 0; i < kCells.size(); ++i) prefs.set(kCells[i].key, Value(cells[i]));
    return prefs;
  }

  static void expect_saved(const Dictionary& prefs, bool enabled, const std::vector<bool>& cells) {
    const Value* enable = prefs.find(kEnableKey);
    ASSERT_NE(enable, nullptr);
    EXPECT_TRUE(enable->is_bool());
    EXPECT_EQ(enable->bool_value(), enabled);
    for (std::size_t i = 0; i < kCells.size(); ++i) {
      const Value* value = prefs.find(kCells[i].key);
      ASSERT_NE(value, nullptr) << kCells[i].key;
      EXPECT_TRUE(value->is_bool()) << kCells[i].key;
      EXPECT_EQ(value->bool_value(), cells[i]) << kCells[i].key;
    }
  }

  PreferencePanes panes_;
  PreferencePane* pane_ = nullptr;
  CheckBox* check_box_ = nullptr;
  CheckBoxMatrix* matrix_ = nullptr;
};

const std::vector<bool> kAllOff(12, false);
// A mix in which every row and column has cells on and off.
const std::vector<bool> kMixed = {true, false, true, false, true, false,
                                  true, true,  false, false, false, true};

TEST_F(FuzzyPaneTest, TheStagedBundleNamesItsClassAndCarriesItsTipAndIcon) {
  auto bundle = platform::Bundle::at(LoadedBundle::get().path());
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->info().find("NSPrincipalClass")->string_value(), "FuzzyController");
  EXPECT_EQ(bundle->info().find("CFBundleExecutable")->string_value(), "FuzzyPane");
  EXPECT_FALSE(bundle->identifier().empty());

  const Value* tip = bundle->info().find("toolTip");
  ASSERT_NE(tip, nullptr);
  EXPECT_FALSE(tip->string_value()->empty());
  EXPECT_EQ(pane_->paneToolTip(), tip->string_value());

  auto icon = pane_->paneIcon();
  ASSERT_TRUE(icon);
  auto shipped = platform::gfx::load_image(bundle->resources_path() / "Fuzzy.png", nullptr);
  ASSERT_TRUE(shipped);
  ASSERT_EQ(icon->width(), shipped->width());
  ASSERT_EQ(icon->height(), shipped->height());
  EXPECT_EQ(icon->pixel(icon->width() / 2, icon->height() / 2),
            shipped->pixel(shipped->width() / 2, shipped->height() / 2));
  EXPECT_GT(icon->pixel(icon->width() / 2, icon->height() / 2).alpha, 0);

  // The test program lies in no bundle: the name's empty default.
  EXPECT_EQ(pane_->paneName(), "");
  EXPECT_FALSE(pane_->allowsHorizontalResizing());
  EXPECT_FALSE(pane_->allowsVerticalResizing());
}

TEST_F(FuzzyPaneTest, TheViewIsBuiltOnceWithTheCellsTitledInPlace) {
  show();
  EXPECT_EQ(pane_->paneView(), pane_->paneView());
  EXPECT_FALSE(check_box_->title().empty());
  EXPECT_FALSE(check_box_->is_on());
  EXPECT_FALSE(matrix_->is_enabled());
  ASSERT_EQ(matrix_->rows(), 4);
  ASSERT_EQ(matrix_->columns(), 3);
  for (const Cell& cell : kCells) {
    EXPECT_EQ(matrix_->title(cell.row, cell.column), cell.title) << cell.key;
  }
}

TEST_F(FuzzyPaneTest, NoKeysLoadAllOffAndSaveWritesEveryKeyFalseInOrder) {
  show();
  Dictionary prefs;
  prefs.set("Other", Value("kept"));
  pane_->loadPrefs(prefs);
  EXPECT_FALSE(check_box_->is_on());
  EXPECT_FALSE(matrix_->is_enabled());
  EXPECT_EQ(cell_states(), kAllOff);

  pane_->savePrefs(prefs);
  EXPECT_EQ(prefs.size(), 14u);
  EXPECT_EQ(prefs.find("Other")->string_value(), "kept");
  expect_saved(prefs, false, kAllOff);
  std::vector<std::string> order;
  for (const auto& entry : prefs.entries()) order.push_back(entry.first);
  std::vector<std::string> expected = {"Other", kEnableKey};
  for (const Cell& cell : kCells) expected.push_back(cell.key);
  EXPECT_EQ(order, expected);
}

TEST_F(FuzzyPaneTest, EachKeyTurnsOnItsOwnCellOnly) {
  show();
  for (std::size_t i = 0; i < kCells.size(); ++i) {
    Dictionary prefs;
    prefs.set(kCells[i].key, Value(true));
    pane_->reloadPrefs(prefs);
    pane_->loadPrefs(prefs);
    std::vector<bool> expected(12, false);
    expected[i] = true;
    EXPECT_EQ(cell_states(), expected) << kCells[i].key;
  }
}

TEST_F(FuzzyPaneTest, OnlyTheValueOneCountsAsSet) {
  show();
  struct Case {
    Value value;
    bool on;
  };
  const std::vector<Case> cases = {
      {Value(true), true}, {Value(1), true},  {Value(false), false},
      {Value(0), false},   {Value(2), false}, {Value(-1), false},
  };
  for (const Case& c : cases) {
    Dictionary prefs;
    prefs.set(kEnableKey, c.value);
    prefs.set("fuzzy_l2r", c.value);
    pane_->reloadPrefs(prefs);
    pane_->loadPrefs(prefs);
    const std::string shown = c.value.string_value().value_or("?");
    EXPECT_EQ(check_box_->is_on(), c.on) << shown;
    EXPECT_EQ(matrix_->is_enabled(), c.on) << shown;
    EXPECT_EQ(matrix_->is_on(3, 2), c.on) << shown;
  }
}

TEST_F(FuzzyPaneTest, AClickOnTheLNCellSavesItAndLeavesEveryOtherKeyAsLoaded) {
  show();
  Dictionary prefs = prefs_with(true, kMixed);
  prefs.set("Other", Value(7));
  pane_->loadPrefs(prefs);
  EXPECT_TRUE(check_box_->is_on());
  EXPECT_TRUE(matrix_->is_enabled());
  EXPECT_EQ(cell_states(), kMixed);

  ASSERT_TRUE(matrix_->perform_click(1, 2));
  pane_->savePrefs(prefs);
  std::vector<bool> expected = kMixed;
  expected[5] = true;  // fuzzy_l2n
  expect_saved(prefs, true, expected);
  EXPECT_EQ(prefs.find("Other")->integer_value(), 7);
  EXPECT_EQ(prefs.size(), 14u);
}

TEST_F(FuzzyPaneTest, APaneNeverShownLeavesTheDictionaryAlone) {
  const Dictionary before = [] {
    Dictionary prefs = prefs_with(true, kMixed);
    prefs.set("fuzzy_l2n", Value(2));  // not a setting the pane would write
    return prefs;
  }();
  Dictionary prefs = before;
  pane_->savePrefs(prefs);
  EXPECT_EQ(prefs, before);
  pane_->reloadPrefs(prefs);  // nothing to reload either
  pane_->savePrefs(prefs);
  EXPECT_EQ(prefs, before);

  Dictionary empty;
  pane_->savePrefs(empty);
  EXPECT_TRUE(empty.empty());
}

TEST_F(FuzzyPaneTest, ALoadedPaneKeepsItsStateUntilReloadedAndThenShowsTheNewValuesAtOnce) {
  show();
  Dictionary prefs = prefs_with(false, kAllOff);
  pane_->loadPrefs(prefs);
  ASSERT_TRUE(matrix_->set_on(0, 0, true));  // shown state the user has changed

  Dictionary restored = prefs_with(true, kMixed);
  pane_->loadPrefs(restored);  // shown again: what is on screen stays
  EXPECT_FALSE(check_box_->is_on());
  EXPECT_TRUE(matrix_->is_on(0, 0));

  pane_->reloadPrefs(restored);
  EXPECT_TRUE(check_box_->is_on());
  EXPECT_TRUE(matrix_->is_enabled());
  EXPECT_EQ(cell_states(), kMixed);
  Dictionary saved;
  pane_->savePrefs(saved);
  expect_saved(saved, true, kMixed);
}

TEST_F(FuzzyPaneTest, TurningFuzzyOffDisablesTheCellsButKeepsAndSavesTheirStates) {
  show();
  Dictionary prefs = prefs_with(true, kMixed);
  pane_->loadPrefs(prefs);

  check_box_->perform_click();
  EXPECT_FALSE(check_box_->is_on());
  EXPECT_FALSE(matrix_->is_enabled());
  EXPECT_EQ(cell_states(), kMixed);
  EXPECT_FALSE(matrix_->perform_click(1, 2));  // a disabled matrix takes no click
  pane_->savePrefs(prefs);
  expect_saved(prefs, false, kMixed);

  check_box_->perform_click();
  EXPECT_TRUE(matrix_->is_enabled());
  EXPECT_TRUE(matrix_->perform_click(1, 2));
  pane_->savePrefs(prefs);
  std::vector<bool> expected = kMixed;
  expected[5] = true;
  expect_saved(prefs, true, expected);
}

// The host's window: the pane's view adopted into the content view's tree, as the host shows it.
struct HostWindow {
  explicit HostWindow(View& pane_view)
      : window(std::make_unique<platform::ui::Window>(
            "FuzzyPaneTest", "Preferences",
            platform::ui::Rect{0, 0, pane_view.frame().width, pane_view.frame().height})) {
    auto root = std::make_unique<View>();
    root->add_subview(std::unique_ptr<View>(&pane_view));
    window->set_content_view(std::move(root));
  }
  // A click in the middle of a cell, in window points.
  void click_cell(const CheckBoxMatrix& matrix, int row, int column) {
    const platform::ui::Rect cell = *matrix.cell_rect(row, column);
    const platform::ui::Point middle = matrix.convert_to_window(
        platform::ui::Point{cell.x + cell.width / 2, cell.y + cell.height / 2});
    window->handle_mouse(platform::ui::MouseEvent{platform::ui::MouseEventType::Down, middle});
    window->handle_mouse(platform::ui::MouseEvent{platform::ui::MouseEventType::Up, middle});
  }
  std::unique_ptr<platform::ui::Window> window;
};

TEST_F(FuzzyPaneTest, ClicksInTheHostsWindowReachTheCheckBoxAndTheCells) {
  show();
  HostWindow host(*pane_->paneView());
  Dictionary prefs = prefs_with(false, kMixed);
  pane_->loadPrefs(prefs);

  host.click_cell(*matrix_, 1, 2);  // disabled while fuzzy matching is off
  EXPECT_FALSE(matrix_->is_on(1, 2));
  std::string error;
  ASSERT_TRUE(host.window->click_view("applyFuzzy", &error)) << error;
  EXPECT_TRUE(check_box_->is_on());
  EXPECT_TRUE(matrix_->is_enabled());
  host.click_cell(*matrix_, 1, 2);
  pane_->savePrefs(prefs);
  std::vector<bool> expected = kMixed;
  expected[5] = true;
  expect_saved(prefs, true, expected);
}

// Pixels inside `rect` (window points, y up) of the window's picture that are not its white
// background.
int inked_pixels(const platform::gfx::Surface& picture, const platform::ui::Rect& rect) {
  int inked = 0;
  for (int x = static_cast<int>(rect.x); x < static_cast<int>(rect.x + rect.width); ++x) {
    for (int y = static_cast<int>(rect.y); y < static_cast<int>(rect.y + rect.height); ++y) {
      const platform::gfx::Pixel pixel = picture.pixel(x, picture.height() - 1 - y);
      if (pixel.red < 255 || pixel.green < 255 || pixel.blue < 255) ++inked;
    }
  }
  return inked;
}

TEST_F(FuzzyPaneTest, TheCheckBoxAndEveryCellAreDrawn) {
  show();
  HostWindow host(*pane_->paneView());
  host.window->set_background_colour({1, 1, 1, 1});
  auto picture = host.window->render();
  ASSERT_TRUE(picture);
  EXPECT_GT(inked_pixels(*picture, check_box_->frame()), 20);
  for (const Cell& cell : kCells) {
    platform::ui::Rect rect = *matrix_->cell_rect(cell.row, cell.column);
    const platform::ui::Point corner =
        matrix_->convert_to_window(platform::ui::Point{rect.x, rect.y});
    rect.x = corner.x;
    rect.y = corner.y;
    EXPECT_GT(inked_pixels(*picture, rect), 20) << cell.key;
  }
  // Between the controls the background shows.
  EXPECT_EQ(inked_pixels(*picture, platform::ui::Rect{0, 0, 15, 15}), 0);
}

TEST_F(FuzzyPaneTest, TheViewBelongsToTheWindowThatHoldsItWhicheverGoesFirst) {
  show();
  {
    // The window first: the pane forgets the view and what it showed.
    HostWindow host(*pane_->paneView());
    Dictionary prefs = prefs_with(true, kMixed);
    pane_->loadPrefs(prefs);
  }
  Dictionary untouched;
  pane_->savePrefs(untouched);
  EXPECT_TRUE(untouched.empty());
  show();  // built afresh
  Dictionary prefs = prefs_with(true, kMixed);
  pane_->loadPrefs(prefs);
  EXPECT_EQ(cell_states(), kMixed);

  // The pane first: the window frees the view it holds.
  HostWindow host(*pane_->paneView());
  panes_.clear();
  pane_ = nullptr;
  EXPECT_NE(host.window->find_view("fuzzyItems"), nullptr);
  EXPECT_TRUE(host.window->render());
}

// What the probe prints when run as the program of an application bundle holding `strings` (no
// strings file when empty): the pane's name and its check box's title.
std::vector<std::string> probe_in_host_bundle(const std::string& strings) {
  platform::testing_support::TempDir temp;
  const fs::path contents = temp.path() / "Host.app/Contents";
  fs::create_directories(contents / "MacOS");
  fs::create_directories(contents / "Resources/English.lproj");
  Dictionary info;
  info.set("CFBundleIdentifier", Value("com.example.fuzzy-pane-test.host"));
  info.set("CFBundleExecutable", Value("Host"));
  std::error_code error;
  EXPECT_TRUE(platform::plist::save_atomic(contents / "Info.plist", Value(info), error));
  if (!strings.empty()) {
    EXPECT_TRUE(platform::files::write_atomic(
        contents / "Resources/English.lproj/Localizable.strings", strings, error));
  }
  fs::copy_file(KEP_FUZZY_PANE_PROBE, contents / "MacOS/Host");
  fs::create_directories(temp.path() / "home");
  fs::create_directories(temp.path() / "runtime");
  const std::string command = "env HOME='" + (temp.path() / "home").string() +
                              "' KEP_RUNTIME_DIR='" + (temp.path() / "runtime").string() + "' '" +
                              (contents / "MacOS/Host").string() + "' '" +
                              LoadedBundle::get().path().string() + "'";
  FILE* output = ::popen(command.c_str(), "r");
  EXPECT_NE(output, nullptr);
  if (output == nullptr) return {};
  std::vector<std::string> lines;
  char line[512];
  while (std::fgets(line, sizeof line, output) != nullptr) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(text);
  }
  EXPECT_EQ(::pclose(output), 0) << command;
  return lines;
}

TEST(FuzzyPaneHostTest, TheNameAndTheCheckBoxTitleComeFromTheHostProgramsStrings) {
  ASSERT_NE(LoadedBundle::get().factory(), nullptr) << LoadedBundle::get().failure();
  const std::string strings = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>FUZZY_PANE_NAME</key>
	<string>Sounds alike</string>
	<key>FUZZY_ENABLE</key>
	<string>Match sounds alike</string>
</dict>
</plist>
)";
  EXPECT_EQ(probe_in_host_bundle(strings),
            (std::vector<std::string>{"Sounds alike", "Match sounds alike"}));
  // Without the host's strings: an empty name (the host then falls back to the class name) and
  // the check box's own title.
  const std::vector<std::string> bare = probe_in_host_bundle("");
  ASSERT_EQ(bare.size(), 2u);
  EXPECT_EQ(bare[0], "");
  EXPECT_FALSE(bare[1].empty());
  EXPECT_NE(bare[1], "Match sounds alike");
}

}  // namespace
}  // namespace preferences
