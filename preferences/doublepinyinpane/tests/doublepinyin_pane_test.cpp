// The double-pinyin pane as the preferences program holds it: the staged bundle loaded through
// the plug-in loader, the staged root for the shipped schemes, a scratch home for the user's,
// and the preferences window with the pane's view in it, driven by clicks and keys.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/runloop.h"
#include "platform/tests/test_support.h"
#include "platform/ui/alert.h"
#include "platform/ui/controls.h"
#include "platform/ui/key_event.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/table_view.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"
#include "preferences/host/pane_protocol.h"
#include "preferences/panekit/testing/pane_fixture.h"

namespace dpypane_test {
namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::ui::TableView;

const std::vector<std::string> kShipped = {"weiruan.spc", "xiaohe.spc", "ziguang.spc",
                                           "ziranma.spc"};

using panekit_test::names_in;
using panekit_test::read_file;
using panekit_test::write_file;

// The pane's staged bundle, loaded once.
struct LoadedBundle {
  static panekit_test::LoadedBundle& get() {
    return panekit_test::LoadedBundle::get(KEP_DOUBLEPINYIN_PANE_BUNDLE);
  }
};

class DoublePinyinPaneTest : public panekit_test::PaneFixture {
 protected:
  void SetUp() override {
    fs::create_directories(data());
    root_env_.emplace("KEP_ROOT", KEP_STAGED_ROOT);
    platform::files::reset_root_cache();
    start_pane(KEP_DOUBLEPINYIN_PANE_BUNDLE, /*with_defaults=*/false);
    if (HasFatalFailure()) return;
    show_in_window("DoublePinyinPaneTest", 420);
  }

  void TearDown() override {
    stop_pane();
    root_env_.reset();
    platform::files::reset_root_cache();
  }

  fs::path data() const { return home() / "Library/KEP"; }
  static fs::path shipped_folder() {
    return fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/Resources";
  }

  template <typename T>
  T* find(const std::string& identifier) const {
    return dynamic_cast<T*>(window_->find_view(identifier));
  }
  TableView* table() const { return find<TableView>("schemeList"); }
  platform::ui::TextView* content() const { return find<platform::ui::TextView>("content"); }
  platform::ui::CheckBox* check_box() const {
    return find<platform::ui::CheckBox>("enableDoublePinyin");
  }
  platform::ui::Alert* alert(const std::string& name) const {
    return dynamic_cast<platform::ui::Alert*>(registry_.find(name));
  }

  // Shows the pane with these settings (again, as after a restore, when it was shown).
  void load(bool enabled, std::optional<std::string> chosen) {
    prefs_ = Dictionary();
    prefs_.set("EnableDoublePinyin", Value(enabled));
    if (chosen) prefs_.set("SPC", Value(*chosen));
    pane_->reloadPrefs(prefs_);
    pane_->loadPrefs(prefs_);
  }

  std::vector<std::string> rows() const {
    std::vector<std::string> names;
    TableView* list = table();
    for (int row = 0; row < list->data_source()->number_of_rows(*list); ++row) {
      names.push_back(list->data_source()->object_value(*list, "FILE", row).value_or("<none>"));
    }
    return names;
  }
  int row_of(const std::string& name) const {
    const std::vector<std::string> shown = rows();
    const auto found = std::find(shown.begin(), shown.end(), name);
    return found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
  }

  // A click (or the second press of a double click) in the middle of a cell.
  void click_cell(int row, const char* column = "FILE", int click_count = 1) {
    TableView* list = table();
    list->scroll_row_to_visible(row);
    const std::optional<platform::ui::Rect> cell = list->frame_of_cell(column, row);
    ASSERT_TRUE(cell) << row;
    const platform::ui::Point middle = list->convert_to_window(
        platform::ui::Point{cell->x + cell->width / 2, cell->y + cell->height / 2});
    window_->handle_mouse({platform::ui::MouseEventType::Down, middle, click_count});
    window_->handle_mouse({platform::ui::MouseEventType::Up, middle, click_count});
  }
  void click(const std::string& identifier) {
    std::string error;
    ASSERT_TRUE(window_->click_view(identifier, &error)) << error;
  }
  void type(const std::string& characters) {
    for (const auto& event : platform::ui::key_events_for_characters(characters)) {
      window_->handle_key(event);
    }
  }
  // Types into the scheme's text as a person does: a click in it, then the keys.
  void type_in_content(const std::string& characters) {
    ASSERT_TRUE(window_->make_first_responder(content()));
    type(characters);
  }
  // Renames the row by editing its name in place: a double click, the name, Return.
  void rename(int row, const std::string& name) {
    click_cell(row);
    click_cell(row, "FILE", 2);
    ASSERT_TRUE(table()->is_editing());
    type(name + "\r");
  }
  std::optional<platform::testing_support::ScopedEnv> root_env_;
  Dictionary prefs_;
};

TEST_F(DoublePinyinPaneTest, TheBundleNamesItsClassAndCarriesItsTipAndIcon) {
  auto bundle = platform::Bundle::at(LoadedBundle::get().path());
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->info().find("NSPrincipalClass")->string_value(), "DoublePinyinController");
  EXPECT_EQ(pane_->paneToolTip(), bundle->info().find("toolTip")->string_value());
  auto icon = pane_->paneIcon();
  ASSERT_TRUE(icon);
  EXPECT_GT(icon->pixel(icon->width() / 2, icon->height() / 2).alpha, 0);
  EXPECT_EQ(pane_->paneName(), "");  // the test program lies in no bundle
  EXPECT_FALSE(pane_->allowsHorizontalResizing());
  EXPECT_FALSE(pane_->allowsVerticalResizing());
}

TEST_F(DoublePinyinPaneTest, ShippedRowsComeFirstInGreyThenTheUsersTopLevelSchemes) {
  write_file(data() / "mine.spc", "[sm]\nzh=v\n");
  write_file(data() / "Skins/skin.spc", "x");
  write_file(data() / "Dictionary/d/dict.spc", "x");
  write_file(data() / "imkkep.plist", "x");
  load(true, "MINE.SPC");
  std::vector<std::string> expected = kShipped;
  expected.push_back("mine.spc");
  ASSERT_EQ(rows(), expected);
  for (const std::string& name : kShipped) {
    EXPECT_EQ(read_file(shipped_folder() / name),
              read_file(fs::path(KEP_SHIPPED_SCHEMES_DIR) / name))
        << name;
  }
  const int mine = 4;
  EXPECT_EQ(table()->selected_row(), mine);
  EXPECT_EQ(content()->text(), "[sm]\nzh=v\n");
  EXPECT_TRUE(content()->is_editable());
  EXPECT_TRUE(find<platform::ui::Button>("removeScheme")->is_enabled());

  platform::ui::TableDataSource& source = *table()->data_source();
  for (int row = 0; row < 4; ++row) {
    const auto colour = source.text_colour(*table(), "FILE", row);
    ASSERT_TRUE(colour) << row;
    EXPECT_LT(colour->red, 1.0);
    EXPECT_GT(colour->red, 0.0);
  }
  EXPECT_FALSE(source.text_colour(*table(), "FILE", mine));
  // The mark sits on the chosen row alone.
  EXPECT_TRUE(source.image_value(*table(), "CHECK", mine));
  EXPECT_FALSE(source.image_value(*table(), "CHECK", 0));
}

TEST_F(DoublePinyinPaneTest, WhichRowIsSelectedFirst) {
  struct Case {
    std::optional<std::string> chosen;
    int row;
  };
  const std::vector<Case> cases = {{std::nullopt, 0}, {"", 0}, {"ZIRANMA.spc", 3},
                                   {"gone.spc", -1}};
  for (const Case& c : cases) {
    load(false, c.chosen);
    EXPECT_EQ(table()->selected_row(), c.row) << c.chosen.value_or("<none>");
    // Shown again after a restore, the list holds each scheme once.
    EXPECT_EQ(rows(), kShipped);
  }
  // Nothing selected: the setting stays as it was.
  load(true, "gone.spc");
  pane_->savePrefs(prefs_);
  EXPECT_EQ(prefs_.find("SPC")->string_value(), "gone.spc");
}

TEST_F(DoublePinyinPaneTest, AShippedSchemeShowsItsTextButIsNeverWritten) {
  const std::string shipped = read_file(shipped_folder() / "xiaohe.spc");
  ASSERT_FALSE(shipped.empty());
  write_file(data() / "mine.spc", "mine");
  load(true, "xiaohe.spc");
  EXPECT_EQ(content()->text(), shipped);
  EXPECT_FALSE(content()->is_editable());
  EXPECT_FALSE(find<platform::ui::Button>("removeScheme")->is_enabled());
  EXPECT_FALSE(window_->make_first_responder(content()));
  type("zz");
  EXPECT_EQ(content()->text(), shipped);

  click_cell(row_of("mine.spc"));
  click_cell(row_of("xiaohe.spc"));
  pane_->savePrefs(prefs_);
  EXPECT_EQ(read_file(shipped_folder() / "xiaohe.spc"), shipped);
  EXPECT_EQ(names_in(data()), (std::vector<std::string>{"mine.spc"}));
  EXPECT_EQ(prefs_.find("SPC")->string_value(), "xiaohe.spc");
}

TEST_F(DoublePinyinPaneTest, AUserSchemeEditedAndLeftIsWrittenAndClosingWritesTheOneShown) {
  write_file(data() / "a.spc", "[sm]\n");
  write_file(data() / "b.spc", "[ym]\n");
  load(true, "a.spc");
  type_in_content("zh=v\n");
  click_cell(row_of("b.spc"));
  EXPECT_EQ(read_file(data() / "a.spc"), "[sm]\nzh=v\n");
  EXPECT_EQ(table()->selected_row(), row_of("b.spc"));
  EXPECT_EQ(content()->text(), "[ym]\n");

  // Closing the window with an edit under way keeps the edit.
  type_in_content("iu=q\n");
  pane_->savePrefs(prefs_);
  EXPECT_EQ(read_file(data() / "b.spc"), "[ym]\niu=q\n");
  EXPECT_TRUE(prefs_.find("EnableDoublePinyin")->is_bool());
  EXPECT_TRUE(*prefs_.find("EnableDoublePinyin")->bool_value());
  EXPECT_EQ(prefs_.find("SPC")->string_value(), "b.spc");
}

TEST_F(DoublePinyinPaneTest, AFailedWriteKeepsTheSelectionAndSaysWhich) {
  write_file(data() / "a.spc", "old");
  load(true, "a.spc");
  type_in_content("+");
  // The file's place taken by a folder with something in it: no rename lands there.
  fs::remove(data() / "a.spc");
  write_file(data() / "a.spc/inside", "x");
  click_cell(0);
  EXPECT_EQ(table()->selected_row(), row_of("a.spc"));
  EXPECT_EQ(content()->text(), "old+");
  platform::ui::Alert* shown = alert("DoublePinyinError");
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown->informative_text().find("a.spc"), std::string::npos);
  EXPECT_EQ(shown->answer(), "BUTTON_OK");
}

TEST_F(DoublePinyinPaneTest, AFileThatCannotBeReadIsNeverEmptiedByLeavingIt) {
  write_file(data() / "latin1.spc", "caf\xe9");
  load(true, "latin1.spc");
  EXPECT_EQ(content()->text(), "");
  EXPECT_FALSE(content()->is_editable());
  click_cell(0);
  pane_->savePrefs(prefs_);
  EXPECT_EQ(read_file(data() / "latin1.spc"), "caf\xe9");
}

TEST_F(DoublePinyinPaneTest, ARenameToXGivesXSpcAtTheNextWrite) {
  write_file(data() / "old.spc", "text");
  load(true, "old.spc");
  rename(row_of("old.spc"), "x");
  EXPECT_EQ(rows().back(), "x.spc");
  type_in_content("!");
  click_cell(0);
  EXPECT_EQ(read_file(data() / "x.spc"), "text!");
  pane_->savePrefs(prefs_);
  EXPECT_EQ(prefs_.find("SPC")->string_value(), "weiruan.spc");
}

TEST_F(DoublePinyinPaneTest, NamesThatAreNotPlainOrTakenAreRefusedWithAnAlert) {
  write_file(data() / "mine.spc", "text");
  write_file(data() / "other.spc", "other");
  load(true, "mine.spc");
  const std::vector<std::string> refused = {"../x", "a/b", ".h", "XIAOHE.SPC", "Other"};
  for (const std::string& name : refused) {
    rename(row_of("mine.spc"), name);
    EXPECT_EQ(row_of("mine.spc"), 4) << name;
    platform::ui::Alert* shown = alert("DoublePinyinError");
    ASSERT_NE(shown, nullptr) << name;
    EXPECT_NE(shown->informative_text().find(name.substr(name.rfind('/') + 1)), std::string::npos)
        << shown->informative_text();
  }
  click_cell(0);
  pane_->savePrefs(prefs_);
  EXPECT_EQ(names_in(data()), (std::vector<std::string>{"mine.spc", "other.spc"}));
  EXPECT_EQ(read_file(data() / "other.spc"), "other");
  EXPECT_FALSE(fs::exists(home() / "Library/x.spc"));
}

TEST_F(DoublePinyinPaneTest, AShippedNameCannotBeEdited) {
  load(true, std::nullopt);
  click_cell(0);
  click_cell(0, "FILE", 2);
  EXPECT_FALSE(table()->is_editing());
}

TEST_F(DoublePinyinPaneTest, AddingTwiceGivesTwoRowsAndTwoFiles) {
  load(true, std::nullopt);
  click("addScheme");
  type_in_content("first");
  click("addScheme");
  type_in_content("second");
  click_cell(0);
  std::vector<std::string> expected = kShipped;
  expected.push_back("NewSPC.spc");
  expected.push_back("NewSPC1.spc");
  EXPECT_EQ(rows(), expected);
  EXPECT_EQ(read_file(data() / "NewSPC.spc"), "first");
  EXPECT_EQ(read_file(data() / "NewSPC1.spc"), "second");
}

TEST_F(DoublePinyinPaneTest, RemovingAsksAndDeletesOnlyOnYes) {
  write_file(data() / "a.spc", "a");
  write_file(data() / "b.spc", "b");
  load(true, "a.spc");
  click("removeScheme");
  platform::ui::Alert* question = alert("DeleteScheme");
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->default_button(), "BUTTON_NO");
  EXPECT_NE(question->informative_text().find("a.spc"), std::string::npos);
  ASSERT_TRUE(question->key_down("\r"));  // the default: No
  settle();
  EXPECT_TRUE(fs::exists(data() / "a.spc"));

  click("removeScheme");
  question = alert("DeleteScheme");
  ASSERT_NE(question, nullptr);
  std::string error;
  ASSERT_TRUE(question->click_view("BUTTON_YES", &error)) << error;
  settle();
  EXPECT_FALSE(fs::exists(data() / "a.spc"));
  EXPECT_EQ(row_of("a.spc"), -1);
  // The row that took its place is shown.
  EXPECT_EQ(table()->selected_row(), row_of("b.spc"));
  EXPECT_EQ(content()->text(), "b");
}

TEST_F(DoublePinyinPaneTest, AnAnswerThatArrivesAfterThePaneWentDoesNothing) {
  write_file(data() / "a.spc", "a");
  load(true, "a.spc");
  click("removeScheme");
  platform::ui::Alert* question = alert("DeleteScheme");
  ASSERT_NE(question, nullptr);
  std::string error;
  ASSERT_TRUE(question->click_view("BUTTON_YES", &error)) << error;
  panes_.clear();  // the program ends before its loop hands the answer over
  pane_ = nullptr;
  settle();
  EXPECT_EQ(read_file(data() / "a.spc"), "a");
}

TEST_F(DoublePinyinPaneTest, WithDoublePinyinOffTheListAndButtonsRest) {
  write_file(data() / "a.spc", "a");
  load(false, "a.spc");
  EXPECT_FALSE(check_box()->is_on());
  EXPECT_FALSE(content()->is_editable());
  EXPECT_FALSE(find<platform::ui::Button>("addScheme")->is_enabled());
  click_cell(0);
  EXPECT_EQ(table()->selected_row(), row_of("a.spc"));
  click("enableDoublePinyin");
  EXPECT_TRUE(content()->is_editable());
  click_cell(0);
  EXPECT_EQ(table()->selected_row(), 0);
  pane_->savePrefs(prefs_);
  EXPECT_TRUE(*prefs_.find("EnableDoublePinyin")->bool_value());
}

TEST_F(DoublePinyinPaneTest, EveryLineOfALongSchemeCanBeReachedAndTypedAt) {
  std::string text;
  for (int line = 0; line < 120; ++line) text += "k" + std::to_string(line) + "=a\n";
  write_file(data() / "long.spc", text);
  load(true, "long.spc");
  auto* scroll = find<platform::ui::ScrollView>("contentScroll");
  ASSERT_NE(scroll, nullptr);
  const double document = content()->frame().height;
  EXPECT_GT(document, 5 * scroll->frame().height);
  // The top shows first.
  platform::ui::Rect visible = scroll->document_visible_rect();
  EXPECT_DOUBLE_EQ(visible.y + visible.height, document);

  // The caret is at the end: typing there brings the last lines into sight, and a new line
  // grows the text.
  type_in_content("k=z\n");
  visible = scroll->document_visible_rect();
  EXPECT_LT(visible.y, scroll->frame().height);
  EXPECT_GT(content()->frame().height, document);
  click_cell(0);
  EXPECT_EQ(read_file(data() / "long.spc"), text + "k=z\n");
}

TEST_F(DoublePinyinPaneTest, APaneNeverShownLeavesTheSettingsAlone) {
  Dictionary prefs;
  prefs.set("EnableDoublePinyin", Value(2));
  prefs.set("SPC", Value("x.spc"));
  const Dictionary before = prefs;
  pane_->savePrefs(prefs);
  pane_->reloadPrefs(prefs);
  pane_->savePrefs(prefs);
  EXPECT_EQ(prefs, before);
}

}  // namespace
}  // namespace dpypane_test
