// Building a code table in the pane's sheet: the form's checks, the compiler's reports in the
// sheet, the scheme file written once the table is complete, and a build the pane abandons.
#include <cstdio>
#include <string>
#include <vector>

#include "pane_harness.h"
#include "platform/ui/progress_indicator.h"
#include "platform/ui/table_view.h"

namespace codetablepane_test {
namespace {

using platform::plist::Dictionary;
using platform::plist::Value;

constexpr const char* kSheet = "PCTNewBuild";

// What the engine answers for a code of a table, through the developer driver.
std::string query(const fs::path& folder, const std::string& name, const std::string& code) {
  const std::string command = std::string("'") + KEP_CODETABLE_PROGRAM + "' query '" + name + "' '" + code +
                              "' --dir '" + folder.string() + "' 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    ::pclose(pipe);
  }
  return output;
}

class BuildSheetTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    Dictionary prefs;
    prefs.set("EnablePlug", Value(true));
    show(std::move(prefs));
  }
  platform::ui::TextField* sheet_field(const std::string& identifier) const {
    return find_in_as<platform::ui::TextField>(kSheet, identifier);
  }
  // Opens the sheet and fills it in; `source` is chosen through the open panel.
  void fill(const std::string& name, const fs::path& source, const std::string& max_key = "5",
            const std::string& wildcard = "") {
    if (window(kSheet) == nullptr || !window(kSheet)->is_sheet()) {
      ASSERT_TRUE(click("buildCustomTable"));
      ASSERT_TRUE(window(kSheet)->is_sheet());
    }
    ASSERT_EQ(command("answer open-panel " + source.string()), "ok");
    ASSERT_TRUE(click_in(kSheet, "browserFile"));
    ASSERT_TRUE(run_until([&] { return sheet_field("srcFile")->text() == source.string(); }));
    sheet_field("name")->set_text(name);
    sheet_field("newMaxKey")->set_text(max_key);
    sheet_field("newWildCard")->set_text(wildcard);
  }
  std::string last_info() const { return alert_text("CodeTableInfo"); }
  std::vector<std::string> outside_tables() const {
    std::vector<std::string> names = names_in(home() / "Library/KEP");
    for (const std::string& name : names_in(scratch())) names.push_back("scratch/" + name);
    for (const std::string& name : names_in(home())) names.push_back("home/" + name);
    return names;
  }
};

TEST_F(BuildSheetTest, BuildsATableWithItsSchemeLine) {
  write_file(scratch() / "src.txt", "# codes\nab 啊 阿\nb 不\n");
  ASSERT_TRUE(click("buildCustomTable"));
  EXPECT_EQ(sheet_field("newMaxKey")->text(), "5");
  EXPECT_EQ(window(kSheet)->frame().height, 390);
  // The name is typed into its field.
  ASSERT_TRUE(window(kSheet)->make_first_responder(sheet_field("name")));
  ASSERT_EQ(command("key PCTNewBuild T"), "ok");
  EXPECT_EQ(sheet_field("name")->text(), "T");
  ASSERT_EQ(command("answer open-panel " + (scratch() / "src.txt").string()), "ok");
  ASSERT_TRUE(click_in(kSheet, "browserFile"));
  ASSERT_TRUE(run_until([&] { return !sheet_field("srcFile")->text().empty(); }));

  ASSERT_TRUE(click_in(kSheet, "build"));
  EXPECT_EQ(window(kSheet)->frame().height, 400);
  EXPECT_FALSE(find_in_as<platform::ui::Button>(kSheet, "cancelBuild")->is_enabled());
  ASSERT_TRUE(run_until([&] { return !window(kSheet)->is_sheet(); }));

  EXPECT_EQ(read_file(tables() / "T.pct"), "5|*|1|1|0|0|a-z|a-z");
  EXPECT_EQ(names_in(tables()), (std::vector<std::string>{"T.idx", "T.pct", "T.qdb"}));
  const std::string answer = query(tables(), "T", "ab");
  EXPECT_NE(answer.find("啊"), std::string::npos) << answer;
  EXPECT_NE(answer.find("阿"), std::string::npos) << answer;
  // The compiler's own reports reached the sheet: its last status and the bar at pairs + 10
  // of pairs + 30.
  EXPECT_EQ(sheet_field("buildStatus")->text(), "Writing the codes...");
  auto* bar = find_in_as<platform::ui::ProgressIndicator>(kSheet, "buildProgress");
  EXPECT_EQ(bar->max_value(), 3 + 30);
  EXPECT_EQ(bar->double_value(), 3 + 10);
  EXPECT_FALSE(bar->is_animating());
  EXPECT_EQ(rows(), std::vector<std::string>{"T"});
  EXPECT_EQ(defaults_->string("LAST_PLUG_DIR"), scratch().string());
}

// Each refused form is told in an alert and writes nothing anywhere.
TEST_F(BuildSheetTest, RefusedFormsAreToldAndWriteNothing) {
  write_file(scratch() / "src.txt", "ab x\n");
  write_file(scratch() / "latin1.txt", "ab caf\xe9\n");
  fs::create_directories(tables());
  const auto before = outside_tables();
  struct Case {
    std::string name, max_key, wildcard;
    fs::path source;
    std::string told;
  };
  const std::string bad_name =
      "A code table's name is a plain file name: no \"/\", no control characters, not beginning with a dot.";
  const std::vector<Case> cases = {
      {"../x", "5", "", scratch() / "src.txt", bad_name},
      {"a/b", "5", "", scratch() / "src.txt", bad_name},
      {".h", "5", "", scratch() / "src.txt", bad_name},
      {"tab\tname", "5", "", scratch() / "src.txt", bad_name},
      {"", "5", "", scratch() / "src.txt", "Please enter a name for the code table."},
      {"w", "5", "é", scratch() / "src.txt",
       "The wildcard is one printable ASCII character other than a blank and \"|\"."},
      {"w", "5", "**", scratch() / "src.txt",
       "The wildcard is one printable ASCII character other than a blank and \"|\"."},
      {"w", "", "", scratch() / "src.txt", "Please enter the longest code, a number from 1 to 63."},
      {"w", "64", "", scratch() / "src.txt", "Please enter the longest code, a number from 1 to 63."},
      {"w", "5", "", scratch() / "latin1.txt", "The source is not UTF-8 text."},
  };
  for (const Case& each : cases) {
    fill(each.name, each.source, each.max_key, each.wildcard);
    ASSERT_TRUE(click_in(kSheet, "build"));
    ASSERT_TRUE(run_until([&] { return last_info() == each.told; })) << each.name << ": " << last_info();
    EXPECT_TRUE(window(kSheet)->is_sheet());
    EXPECT_TRUE(find_in_as<platform::ui::Button>(kSheet, "build")->is_enabled());
    EXPECT_TRUE(names_in(tables()).empty()) << each.name;
    EXPECT_EQ(outside_tables(), before) << each.name;
  }
  sheet_field("srcFile")->set_text((scratch() / "missing.txt").string());
  sheet_field("name")->set_text("w");
  ASSERT_TRUE(click_in(kSheet, "build"));
  EXPECT_EQ(last_info(), "Please choose the source text of the code table.");
}

// A failing build leaves its text in the sheet with only the cancel button, which closes it.
TEST_F(BuildSheetTest, FailureIsShownInTheSheet) {
  write_file(scratch() / "comments.txt", "# nothing\n# at all\n");
  fill("w", scratch() / "comments.txt");
  ASSERT_TRUE(click_in(kSheet, "build"));
  auto* cancel = find_in_as<platform::ui::Button>(kSheet, "cancelBuild");
  ASSERT_TRUE(run_until([&] { return cancel->is_enabled(); }));
  EXPECT_EQ(sheet_field("buildStatus")->text(),
            "Source file '" + (scratch() / "comments.txt").string() + "' holds no codes.");
  EXPECT_FALSE(find_in_as<platform::ui::Button>(kSheet, "build")->is_enabled());
  EXPECT_FALSE(sheet_field("name")->is_enabled());
  EXPECT_TRUE(names_in(tables()).empty());
  ASSERT_TRUE(click_in(kSheet, "cancelBuild"));
  EXPECT_FALSE(window(kSheet)->is_sheet());
}

// A text too long for a candidate costs its own pair; the table is built and the user told.
TEST_F(BuildSheetTest, WhatTheBuildLeftOutIsTold) {
  write_file(scratch() / "src.txt", "a x\nb " + std::string(300, 't') + "\nc z\n");
  fill("w", scratch() / "src.txt");
  ASSERT_TRUE(click_in(kSheet, "build"));
  ASSERT_TRUE(run_until([&] { return !window(kSheet)->is_sheet(); }));
  ASSERT_TRUE(run_until([&] { return !last_info().empty(); }));
  EXPECT_EQ(last_info(), "Skipped 1 text longer than 179 bytes (line 2).");
  EXPECT_EQ(rows(), std::vector<std::string>{"w"});
}

// Building again under an installed name replaces the table and keeps its extra codes.
TEST_F(BuildSheetTest, RebuildKeepsTheExtraCodes) {
  make_table(tables(), "w", "old x\n");
  write_file(tables() / "w.ex", "extra");
  write_file(scratch() / "src.txt", "new y\n");
  fill("w", scratch() / "src.txt", "3", "?");
  ASSERT_TRUE(click_in(kSheet, "build"));
  ASSERT_TRUE(run_until([&] { return !window(kSheet)->is_sheet(); }));
  EXPECT_EQ(read_file(tables() / "w.pct"), "3|?|1|1|0|0|a-z|a-z");
  EXPECT_NE(read_file(tables() / "w.qdb").find("new"), std::string::npos);
  EXPECT_EQ(read_file(tables() / "w.ex"), "extra");
}

// A pane that goes while its build runs stops it and waits for it: no scheme file appears and
// no temporary file is left.
TEST_F(BuildSheetTest, PaneGoneDuringABuildInstallsNoScheme) {
  std::string source;
  for (int i = 0; i < 200000; ++i) source += "k" + std::to_string(i) + " v" + std::to_string(i) + "\n";
  write_file(scratch() / "big.txt", source);
  fill("big", scratch() / "big.txt");
  ASSERT_TRUE(click_in(kSheet, "build"));
  panes_.clear();
  pane_ = nullptr;
  for (const std::string& name : names_in(tables())) {
    EXPECT_NE(name, "big.pct");
    EXPECT_NE(name.front(), '.') << name;
  }
}

}  // namespace
}  // namespace codetablepane_test
