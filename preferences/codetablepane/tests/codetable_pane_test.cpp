// The code-table pane loaded from its staged bundle: the settings it reads and writes, the
// options of the selected scheme, importing and removing schemes, and the extra codes.
#include <string>
#include <vector>

#include "pane_harness.h"
#include "platform/ui/radio_matrix.h"
#include "platform/ui/table_view.h"
#include "preferences/codetable/extra_codes.h"

namespace codetablepane_test {
namespace {

using platform::plist::Dictionary;
using platform::plist::Value;

Dictionary settings(bool enable, const std::optional<std::string>& scheme) {
  Dictionary prefs;
  prefs.set("EnablePlug", Value(enable));
  if (scheme) prefs.set("CodeTableScheme", Value(*scheme));
  return prefs;
}

class CodeTablePaneTest : public PaneTest {
 protected:
  platform::ui::TableView* list() const { return find_as<platform::ui::TableView>("schemeList"); }
  platform::ui::TextField* field(const std::string& identifier) const {
    return find_as<platform::ui::TextField>(identifier);
  }
  // Selects a row by a click on it, as a person does.
  void click_row(int row) {
    auto frame = list()->frame_of_row(row);
    ASSERT_TRUE(frame.has_value());
    platform::ui::MouseEvent event;
    event.location = {frame->x + 5, frame->y + frame->height / 2};
    event.click_count = 1;
    list()->mouse_down(event);
  }
};

TEST_F(CodeTablePaneTest, SelectsTheNamedSchemeAndWritesItBack) {
  for (const char* name : {"a", "b", "c"}) make_table(tables(), name, "ab x\n");
  show(settings(true, "B.pct"));
  EXPECT_EQ(rows(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list()->selected_row(), 1);

  Dictionary saved = prefs_;
  pane_->savePrefs(saved);
  EXPECT_EQ(saved.find("CodeTableScheme")->string_value(), "b.pct");
  EXPECT_EQ(saved.find("EnablePlug")->integer_value(), 1);
}

// The switch and the selection give the two keys; without a scheme the scheme key goes.
TEST_F(CodeTablePaneTest, SwitchAndSelectionGiveTheKeys) {
  show(settings(true, "gone"));
  EXPECT_TRUE(rows().empty());
  EXPECT_FALSE(find_as<platform::ui::Button>("removeScheme")->is_enabled());
  EXPECT_TRUE(find_as<platform::ui::Button>("addScheme")->is_enabled());
  Dictionary saved = prefs_;
  pane_->savePrefs(saved);
  EXPECT_EQ(saved.find("EnablePlug")->integer_value(), 0);
  EXPECT_EQ(saved.find("CodeTableScheme"), nullptr);

  // Switched off, the selected scheme is still written, and the list cannot be changed.
  make_table(tables(), "t", "ab x\n");
  panes_.clear();
  SetUp();
  show(settings(true, "t"));
  ASSERT_TRUE(click("applyCodeTable"));
  EXPECT_FALSE(find_as<platform::ui::Button>("addScheme")->is_enabled());
  EXPECT_FALSE(find_as<platform::ui::Button>("buildCustomTable")->is_enabled());
  pane_->savePrefs(saved);
  EXPECT_EQ(saved.find("EnablePlug")->integer_value(), 0);
  EXPECT_EQ(saved.find("CodeTableScheme")->string_value(), "t.pct");
}

// Options edited for one scheme are written to its file when another row is chosen; an empty
// wildcard is written as "*" and shown empty again.
TEST_F(CodeTablePaneTest, OptionsOfTheRowLeftAreWritten) {
  make_table(tables(), "a", "ab x\n", "4|?|1|1|0|0|a-z|a-z");
  make_table(tables(), "b", "ab x\n", "6|*|0|0|1|1");
  show(settings(true, "a"));
  EXPECT_EQ(field("schemeMaxKey")->text(), "4");
  EXPECT_EQ(field("schemeWildCard")->text(), "?");

  field("schemeMaxKey")->set_text("7");
  field("schemeWildCard")->set_text("");
  find_as<platform::ui::RadioMatrix>("schemeMatch")->perform_click(0, 1);
  find_as<platform::ui::CheckBox>("schemeAutoConfirm")->perform_click();
  click_row(1);
  EXPECT_EQ(read_file(tables() / "a.pct"), "7|*|0|1|1|0|a-z|a-z");
  EXPECT_EQ(read_file(tables() / "b.pct"), "6|*|0|0|1|1");  // only shown, not written
  EXPECT_EQ(field("schemeMaxKey")->text(), "6");
  EXPECT_EQ(find_as<platform::ui::RadioMatrix>("schemeSort")->selected_column(), 1);

  click_row(0);
  EXPECT_EQ(field("schemeWildCard")->text(), "");
  // A wildcard that cannot be one keeps the scheme's, and so does a length out of range.
  field("schemeWildCard")->set_text("é");
  field("schemeMaxKey")->set_text("0");
  Dictionary saved = prefs_;
  pane_->savePrefs(saved);
  EXPECT_EQ(read_file(tables() / "a.pct"), "7|*|0|1|1|0|a-z|a-z");
}

TEST_F(CodeTablePaneTest, ImportCopiesATableAndSelectsIt) {
  make_table(tables(), "a", "ab x\n");
  make_table(scratch() / "elsewhere", "w", "ab y\n", "3|?|0|0|0|0|a-z|a-z");
  show(settings(true, "a"));
  ASSERT_EQ(command("answer open-panel " + (scratch() / "elsewhere/w.pct").string()), "ok");
  ASSERT_TRUE(click("addScheme"));
  ASSERT_TRUE(run_until([&] { return rows().size() == 2; }));
  EXPECT_EQ(list()->selected_row(), 1);
  EXPECT_EQ(read_file(tables() / "w.qdb"), read_file(scratch() / "elsewhere/w.qdb"));
  EXPECT_EQ(defaults_->string("LAST_PLUG_DIR"), (scratch() / "elsewhere").string());
}

TEST_F(CodeTablePaneTest, RefusedImportsAreToldAndCopyNothing) {
  make_table(tables(), "a", "ab x\n");
  make_table(scratch(), "noidx", "ab x\n");
  fs::remove(scratch() / "noidx.idx");
  show(settings(true, "a"));
  const auto before = names_in(tables());

  struct Case {
    fs::path file;
    std::string told;
  };
  const std::vector<Case> cases = {
      {tables() / "a.pct", "This code table is installed already: choose one from another folder."},
      {scratch() / "noidx.pct", "noidx.pct cannot be imported: noidx.idx is missing beside it."},
  };
  for (const Case& each : cases) {
    ASSERT_EQ(command("answer open-panel " + each.file.string()), "ok");
    ASSERT_TRUE(click("addScheme"));
    ASSERT_TRUE(run_until([&] { return alert_text("CodeTableInfo") == each.told; })) << alert_text("CodeTableInfo");
    EXPECT_EQ(names_in(tables()), before);
  }
}

TEST_F(CodeTablePaneTest, RemoveAsksAndLeavesTheExtraCodes) {
  make_table(tables(), "a", "ab x\n");
  make_table(tables(), "b", "ab x\n");
  write_file(tables() / "b.ex", "kept");
  show(settings(true, "b"));

  ASSERT_EQ(command("answer alert BUTTON_NO"), "ok");
  ASSERT_TRUE(click("removeScheme"));
  settle();
  EXPECT_EQ(rows().size(), 2u);

  ASSERT_EQ(command("answer alert BUTTON_YES"), "ok");
  ASSERT_TRUE(click("removeScheme"));
  ASSERT_TRUE(run_until([&] { return rows().size() == 1; }));
  EXPECT_EQ(rows(), std::vector<std::string>{"a"});
  EXPECT_EQ(list()->selected_row(), 0);
  EXPECT_EQ(names_in(tables()), (std::vector<std::string>{"a.idx", "a.pct", "a.qdb", "b.ex"}));
}

// Codes typed into the editor are read back through the library as they were entered; the
// header and comments are not stored, a line with a code alone neither.
TEST_F(CodeTablePaneTest, ExtraCodesSavedFromTheTextReadBack) {
  make_table(tables(), "t", "ab x\n");
  show(settings(true, "t"));
  ASSERT_TRUE(click("addNewCode"));
  auto* text = find_in_as<platform::ui::TextView>("PCTNewCode", "newCodeView");
  ASSERT_NE(text, nullptr);
  ASSERT_TRUE(window("PCTNewCode")->is_sheet());
  EXPECT_EQ(text->text().rfind("# ", 0), 0u);

  text->set_text(text->text() + "ab 啊 5\nit's l'été\nlonely\n# x y 3\n");
  ASSERT_TRUE(click_in("PCTNewCode", "saveNewCode"));
  EXPECT_FALSE(window("PCTNewCode")->is_sheet());
  std::vector<codetable::ExtraCode> codes;
  std::string error;
  ASSERT_TRUE(codetable::ReadExtraCodes(tables() / "t.ex", &codes, &error)) << error;
  EXPECT_EQ(codes, (std::vector<codetable::ExtraCode>{{"ab", "啊", 5}, {"it's", "l'été", 0}}));

  // Opened again, the editor shows them; leaving without saving keeps them.
  ASSERT_TRUE(run_until([&] { return click("addNewCode"); }));
  EXPECT_NE(text->text().find("ab 啊 5\nit's l'été 0\n"), std::string::npos);
  text->set_text("");
  ASSERT_TRUE(click_in("PCTNewCode", "quitNewCode"));
  ASSERT_TRUE(codetable::ReadExtraCodes(tables() / "t.ex", &codes, &error)) << error;
  EXPECT_EQ(codes.size(), 2u);
}

}  // namespace
}  // namespace codetablepane_test
