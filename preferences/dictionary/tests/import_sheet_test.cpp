// Importing a cell dictionary through the pane: the open panel answered with a .scel, the
// sheet with its header, the import on the worker with its bar, and a cancel in the middle.
#include "pane_harness.h"

namespace dictpane_test {
namespace {

constexpr const char* kSheet = "DaruzDictImport";

class ImportSheetTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    Dictionary prefs;
    pane_->loadPrefs(prefs);
  }

  // Chooses `file` in the open panel; true once the import sheet shows.
  bool choose(const fs::path& file) {
    EXPECT_EQ(command("answer open-panel " + file.string()), "ok");
    if (!click("addDictionary")) return false;
    return run_until([&] { return window(kSheet) != nullptr && window(kSheet)->is_sheet(); });
  }
  std::string sheet_text(const std::string& identifier) {
    auto* field = dynamic_cast<platform::ui::TextField*>(find_in(kSheet, identifier));
    return field != nullptr ? field->text() : "<none>";
  }
  platform::ui::ProgressIndicator* bar() {
    return dynamic_cast<platform::ui::ProgressIndicator*>(find_in(kSheet, "importProgress"));
  }
  bool sheet_gone() { return window(kSheet) == nullptr || !window(kSheet)->is_sheet(); }
  // What a build may leave in the Dictionary folder besides finished folders.
  std::vector<std::string> leftovers() {
    std::vector<std::string> found;
    for (const std::string& name : names_in(dictionaries())) {
      if (name.starts_with(".") || name.starts_with("__new__")) found.push_back(name);
    }
    return found;
  }
};

TEST_F(ImportSheetTest, TheSheetShowsTheHeaderAndTheImportBuildsTheFolderAndTellsTheServerOnce) {
  const fs::path file = scratch() / "x.scel";
  write_cell_dict(file, cell_dict("5678", 250, "Cities", "Names of cities"));
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");

  ASSERT_TRUE(choose(file));
  EXPECT_EQ(sheet_text("dictName"), "Cities");
  EXPECT_EQ(sheet_text("dictDesc"), "Names of cities");
  EXPECT_EQ(sheet_text("dictCount"), "250");
  ASSERT_NE(bar(), nullptr);
  EXPECT_TRUE(bar()->is_hidden());

  ASSERT_TRUE(click_in(kSheet, "importDaruz"));
  EXPECT_FALSE(dynamic_cast<platform::ui::Button*>(find_in(kSheet, "importDaruz"))->is_enabled());
  EXPECT_FALSE(bar()->is_hidden());
  ASSERT_TRUE(run_until([&] { return sheet_gone(); }));
  ASSERT_TRUE(run_until([&] { return posts.count() == 1; }));
  // The bar went determinate over twice the words, and moved.
  EXPECT_EQ(bar()->max_value(), 500);
  EXPECT_GT(bar()->double_value(), 0);

  EXPECT_TRUE(fs::exists(dictionaries() / "x.scel/dict.info"));
  EXPECT_EQ(read_file(dictionaries() / "x.scel/uid.info"), "5678");
  EXPECT_TRUE(leftovers().empty());
  EXPECT_EQ(rows(), (std::vector<std::vector<std::string>>{
                        {"Cities", "Names of cities", rows()[0][2], "250", "DaruzDict.png"}}));
  settle();
  EXPECT_EQ(posts.count(), 1);

  // A second import of another file: its own single notice.
  const fs::path other = scratch() / "y.scel";
  write_cell_dict(other, cell_dict("9", 20, "Small"));
  ASSERT_TRUE(choose(other));
  ASSERT_TRUE(click_in(kSheet, "importDaruz"));
  ASSERT_TRUE(run_until([&] { return sheet_gone() && posts.count() == 2; }));
  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(ImportSheetTest, TheSameUidAsAnInstalledFolderBuildsItsStagingFolderAndLeavesItAlone) {
  write_file(dictionaries() / "cities.scel/dict.info", "USER Old cities\nTOTAL_COUNT 2\n");
  write_file(dictionaries() / "cities.scel/uid.info", "5678");
  write_file(dictionaries() / "cities.scel/version.info", "1262304000");
  write_file(dictionaries() / "cities.scel/dict.db", "old records");
  const auto installed = tree_of(dictionaries() / "cities.scel");
  const fs::path file = scratch() / "renewed.scel";
  write_cell_dict(file, cell_dict("05678", 40, "New cities"));
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");

  ASSERT_TRUE(choose(file));
  ASSERT_TRUE(click_in(kSheet, "importDaruz"));
  ASSERT_TRUE(run_until([&] { return sheet_gone() && posts.count() == 1; }));
  EXPECT_EQ(tree_of(dictionaries() / "cities.scel"), installed);
  const fs::path staged = dictionaries() / "__new__cities.scel";
  EXPECT_TRUE(fs::exists(staged / "dict.info"));
  EXPECT_TRUE(fs::exists(staged / "version.info"));
  EXPECT_FALSE(fs::exists(dictionaries() / "renewed.scel"));
  EXPECT_FALSE(fs::exists(dictionaries() / ".cities.scel"));
}

TEST_F(ImportSheetTest, CancelBeforeTheImportClosesTheSheetAndTouchesNothing) {
  const fs::path file = scratch() / "x.scel";
  write_cell_dict(file, cell_dict("5678", 10));
  ASSERT_TRUE(choose(file));
  ASSERT_TRUE(click_in(kSheet, "cancelDaruz"));
  ASSERT_TRUE(run_until([&] { return sheet_gone(); }));
  EXPECT_TRUE(names_in(dictionaries()).empty());
}

TEST_F(ImportSheetTest, CancelDuringALargeImportLeavesNoTargetStagingOrLock) {
  const fs::path file = scratch() / "big.scel";
  write_cell_dict(file, cell_dict("4321", 60000, "Big"));
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");
  ASSERT_TRUE(choose(file));
  ASSERT_TRUE(click_in(kSheet, "importDaruz"));
  // Cancelled once the build has begun to report.
  ASSERT_TRUE(run_until([&] { return bar()->max_value() == 120000 && bar()->double_value() > 0; }));
  ASSERT_TRUE(click_in(kSheet, "cancelDaruz"));
  ASSERT_TRUE(run_until([&] { return sheet_gone(); }));
  // The sheet ends only once the worker has: nothing of its build is left.
  EXPECT_TRUE(names_in(dictionaries()).empty()) << ::testing::PrintToString(names_in(dictionaries()));
  settle();
  EXPECT_EQ(posts.count(), 0);
  EXPECT_TRUE(rows().empty());
}

TEST_F(ImportSheetTest, ClosingTheWindowDuringAnImportStopsItAndLeavesNoHalfBuiltFolder) {
  const fs::path file = scratch() / "big.scel";
  write_cell_dict(file, cell_dict("4321", 60000, "Big"));
  ASSERT_TRUE(choose(file));
  ASSERT_TRUE(click_in(kSheet, "importDaruz"));
  ASSERT_TRUE(run_until([&] { return bar()->double_value() > 0; }));
  // The window goes with the pane's view in it: the pane stops its worker and waits for it.
  window_.reset();
  EXPECT_TRUE(names_in(dictionaries()).empty()) << ::testing::PrintToString(names_in(dictionaries()));
}

TEST_F(ImportSheetTest, AFileThatIsNoCellDictionaryShowsTheErrorAndNoSheet) {
  const fs::path file = scratch() / "bad.scel";
  write_file(file, std::string(4096, 'x'));
  ASSERT_EQ(command("answer open-panel " + file.string()), "ok");
  ASSERT_TRUE(click("addDictionary"));
  ASSERT_TRUE(run_until([&] { return window("DictionaryError") != nullptr; }));
  settle();
  EXPECT_TRUE(sheet_gone());
  EXPECT_TRUE(names_in(dictionaries()).empty());
}

}  // namespace
}  // namespace dictpane_test
