// The pane through the pane protocol and its views: the list, the settings, adding a folder
// and deleting one, and what the pane shares with its host.
#include <dlfcn.h>

#include "pane_harness.h"
#include "platform/bundle.h"
#include "platform/gfx/image.h"
#include "platform/ui/alert.h"

namespace dictpane_test {
namespace {

const std::vector<std::string> kKepRow(const std::string& name, const std::string& author,
                                       const std::string& date, const std::string& count) {
  return {name, author, date, count, "KEPDict.png"};
}

TEST(DictionaryPaneBundle, NamesItsClassAndCarriesItsTipIconsAndStrings) {
  ASSERT_NE(LoadedBundle::get().factory(), nullptr) << LoadedBundle::get().failure();
  auto bundle = platform::Bundle::at(LoadedBundle::get().path());
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->info().find("NSPrincipalClass")->string_value(), "DictionaryController");
  EXPECT_EQ(bundle->info().find("CFBundleExecutable")->string_value(), "DictionaryPane");
  for (const char* image : {"Dictionary.png", "DaruzDict.png", "KEPDict.png"}) {
    auto path = bundle->resource(image);
    ASSERT_TRUE(path) << image;
    auto picture = platform::gfx::load_image(*path, nullptr);
    ASSERT_TRUE(picture) << image;
    EXPECT_GT(picture->pixel(picture->width() / 2, picture->height() / 2).alpha, 0) << image;
  }
  auto panes = LoadedBundle::get().factory()();
  ASSERT_EQ(panes.size(), 1u);
  EXPECT_EQ(panes[0]->paneToolTip(), bundle->info().find("toolTip")->string_value());
  EXPECT_TRUE(panes[0]->paneIcon());
  // The test program lies in no bundle: the name's empty default.
  EXPECT_EQ(panes[0]->paneName(), "");
  EXPECT_FALSE(panes[0]->allowsHorizontalResizing());
  EXPECT_FALSE(panes[0]->allowsVerticalResizing());

  // Every status and question the pane shows has its text.
  std::error_code error;
  auto strings = platform::plist::read_file(
      bundle->resources_path() / "English.lproj/Localizable.strings", error);
  ASSERT_TRUE(strings && strings->is_dictionary()) << error.message();
  for (const char* key : {"NO_DICT_NAME", "NO_DICT_AUTHOR", "NO_DICT_DATE", "NO_DICT_COUNT",
                          "QUESTION_TITLE", "DELETE_DICT", "BUTTON_YES", "BUTTON_NO", "BUTTON_OK",
                          "ERROR_TITLE", "LOAD_DARUZ_FAILED", "BUILD_PREPROCESS", "BUILD_PROCESS",
                          "DARUZ_DICT_IMPORT_DONE", "QUERY_UPDATE_LIST", "QUERY_UPDATE_LIST_FAILED",
                          "NO_DARUZ_DICT_FOUND", "DARUZ_DICT_IS_UPTODATE",
                          "DARUZ_DICT_WAITING_DOWNLOAD", "DOWNLOAD_DARUZ_DICT",
                          "DARUZ_DICT_DOWNLOAD_FAILED", "DARUZ_DICT_DOWNLOAD_ABORT",
                          "SOGOUD_DICT_LOAD_FAILED"}) {
    const Value* text = strings->as_dictionary()->find(key);
    ASSERT_NE(text, nullptr) << key;
    EXPECT_FALSE(text->string_value().value_or("").empty()) << key;
  }
}

TEST(DictionaryPaneBundle, TakesThePlatformSingletonsFromItsHostAndKeepsNoCopy) {
  ASSERT_NE(LoadedBundle::get().factory(), nullptr) << LoadedBundle::get().failure();
  const fs::path library = LoadedBundle::get().path() / "Contents/MacOS/DictionaryPane";
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  // dlsym on the library's handle finds only what it (or a library it needs) defines.
  for (const char* symbol : {"_ZN8platform6notify18NotificationCenter5localEv",
                             "_ZN8platform7RunLoopC1Ev", "_ZN8platform2ui14WindowRegistry3addERNS0_6WindowE",
                             "_ZN8platform2ui13ClassRegistry6sharedEv"}) {
    EXPECT_EQ(::dlsym(handle, symbol), nullptr) << symbol;
    EXPECT_NE(::dlsym(RTLD_DEFAULT, symbol), nullptr) << symbol;
  }
  ::dlclose(handle);
}

class DictionaryPaneTest : public PaneTest {};

TEST_F(DictionaryPaneTest, ListsExactlyTheDictionaryFoldersWithTheirColumnsAndPictures) {
  write_file(dictionaries() / "a.dict/dict.info",
             "# a folder of our own\nUSER Alice\nDESCRIPTION Place names\nDATE 2024-05-06\n"
             "TOTAL_COUNT\t\t 12\r\n");
  write_file(dictionaries() / "b.scel/dict.info",
             "USER Cities\nDESCRIPTION From a cell dictionary\nTOTAL_COUNT 3\n");
  write_file(dictionaries() / "b.scel/uid.info", "1234");
  write_file(dictionaries() / "SYSTEM.DICT/dict.info", "USER system\n");
  write_file(dictionaries() / "__new__c.scel/dict.info", "USER staged\n");
  write_file(dictionaries() / "D.SCEL/dict.info", "USER capitals\n");
  fs::create_directories(dictionaries() / "e.dict");
  write_file(dictionaries() / "f.dict", "a file, not a folder");

  Dictionary prefs;
  pane_->loadPrefs(prefs);
  EXPECT_EQ(rows(), (std::vector<std::vector<std::string>>{
                        {"Cities", "From a cell dictionary", "-", "3", "DaruzDict.png"},
                        kKepRow("Place names", "Alice", "2024-05-06", "12")}));
}

TEST_F(DictionaryPaneTest, ACommentOnlyDictInfoShowsThePlaceholders) {
  write_file(dictionaries() / "q.dict/dict.info", "  # USER nobody\n\n");
  Dictionary prefs;
  pane_->loadPrefs(prefs);
  EXPECT_EQ(rows(), (std::vector<std::vector<std::string>>{
                        kKepRow("(no name)", "(unknown)", "-", "-")}));
}

TEST_F(DictionaryPaneTest, TheThreeSettingsRoundTripWithTheirTypes) {
  struct Case {
    std::optional<Value> update;
    std::optional<Value> hide;
    bool update_on;
    bool hide_on;
  };
  const std::vector<Case> cases = {
      {std::nullopt, std::nullopt, false, false},
      {Value(true), Value(false), true, false},
      {Value(1), Value(1), true, true},
      {Value(2), Value(true), false, true},
      {Value(false), Value(0), false, false},
  };
  for (const Case& c : cases) {
    Dictionary prefs;
    if (c.update) prefs.set("DaruzDictAutoUpdate", *c.update);
    if (c.hide) prefs.set("HideDaruzUpdateWindow", *c.hide);
    pane_->reloadPrefs(prefs);
    pane_->loadPrefs(prefs);
    Dictionary saved;
    pane_->savePrefs(saved);
    ASSERT_EQ(saved.size(), 3u);
    const Value* update = saved.find("DaruzDictAutoUpdate");
    const Value* hide = saved.find("HideDaruzUpdateWindow");
    const Value* updates = saved.find("DaruzDictAutoUpdates");
    ASSERT_TRUE(update && hide && updates);
    EXPECT_TRUE(update->is_bool());
    EXPECT_TRUE(hide->is_bool());
    EXPECT_TRUE(updates->is_integer());
    EXPECT_EQ(update->bool_value(), c.update_on);
    EXPECT_EQ(hide->bool_value(), c.hide_on);
    EXPECT_EQ(updates->integer_value(), c.update_on ? 1 : 0);
  }
  // A click on the box is what is saved.
  ASSERT_TRUE(click("checkForUpdates"));
  Dictionary saved;
  pane_->savePrefs(saved);
  EXPECT_EQ(saved.find("DaruzDictAutoUpdate")->bool_value(), true);
  EXPECT_EQ(saved.find("DaruzDictAutoUpdates")->integer_value(), 1);
}

TEST_F(DictionaryPaneTest, APaneNeverShownLeavesTheSettingsAlone) {
  auto panes = LoadedBundle::get().factory()();
  Dictionary prefs;
  prefs.set("DaruzDictAutoUpdate", Value(7));
  const Dictionary before = prefs;
  panes[0]->savePrefs(prefs);
  panes[0]->reloadPrefs(prefs);
  panes[0]->savePrefs(prefs);
  EXPECT_EQ(prefs, before);
}

// The delete question: the answer is queued for the sheet, which takes it as it opens.
class DeleteTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    write_file(dictionaries() / "a.dict/dict.info", "DESCRIPTION A\n");
    write_file(dictionaries() / "b.dict/dict.info", "DESCRIPTION B\n");
    Dictionary prefs;
    pane_->loadPrefs(prefs);
  }
  int row_of(const std::string& name) {
    auto* list = table();
    for (int row = 0; row < list->data_source()->number_of_rows(*list); ++row) {
      if (list->data_source()->object_value(*list, "NAME", row) == name) return row;
    }
    return -1;
  }
  void ask_to_delete(const std::string& name, const std::string& answer) {
    ASSERT_EQ(command("answer alert " + answer), "ok");
    table()->select_row(row_of(name));
    ASSERT_TRUE(click("removeDictionary"));
    ASSERT_TRUE(run_until([&] { return window_->attached_sheet() == nullptr; }));
    settle();
  }
};

TEST_F(DeleteTest, NoKeepsTheFolderAndTellsNobody) {
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");
  ask_to_delete("A", "BUTTON_NO");
  EXPECT_TRUE(fs::exists(dictionaries() / "a.dict/dict.info"));
  EXPECT_EQ(rows().size(), 2u);
  settle();
  EXPECT_EQ(posts.count(), 0);
}

TEST_F(DeleteTest, YesRemovesExactlyTheAskedFolderAndTellsTheServer) {
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");
  // The question names its folder: the list may change before the answer.
  table()->select_row(row_of("A"));
  ASSERT_TRUE(click("removeDictionary"));
  auto* question = dynamic_cast<platform::ui::Alert*>(window("DeleteDictionary"));
  ASSERT_NE(question, nullptr);
  EXPECT_NE(question->informative_text().find((dictionaries() / "a.dict").string()),
            std::string::npos);
  EXPECT_EQ(question->default_button(), "BUTTON_NO");
  write_file(dictionaries() / "0.dict/dict.info", "DESCRIPTION first\n");
  ASSERT_EQ(command("answer alert BUTTON_YES"), "ok");
  ASSERT_TRUE(run_until([&] { return posts.count() == 1; }));
  EXPECT_FALSE(fs::exists(dictionaries() / "a.dict"));
  EXPECT_TRUE(fs::exists(dictionaries() / "b.dict/dict.info"));
  EXPECT_TRUE(fs::exists(dictionaries() / "0.dict/dict.info"));
  settle();
  EXPECT_EQ(posts.count(), 1);
  for (const auto& row : rows()) EXPECT_NE(row[0], "A");
}

TEST_F(DeleteTest, AnAnswerThatArrivesAfterThePaneWentDoesNothing) {
  table()->select_row(row_of("A"));
  ASSERT_TRUE(click("removeDictionary"));
  auto* question = dynamic_cast<platform::ui::Alert*>(window("DeleteDictionary"));
  ASSERT_NE(question, nullptr);
  std::string error;
  ASSERT_TRUE(question->click_view("BUTTON_YES", &error)) << error;
  panes_.clear();  // the program ends before its loop hands the answer over
  pane_ = nullptr;
  settle();
  EXPECT_TRUE(fs::exists(dictionaries() / "a.dict/dict.info"));
}

TEST_F(DictionaryPaneTest, AChosenDictFolderIsCopiedInReplacingOneOfTheSameName) {
  write_file(dictionaries() / "w.dict/dict.info", "DESCRIPTION old\n");
  write_file(scratch() / "chosen/w.dict/dict.info", "DESCRIPTION new\nUSER Bob\n");
  Dictionary prefs;
  pane_->loadPrefs(prefs);
  ASSERT_EQ(command("answer open-panel " + (scratch() / "chosen/w.dict").string()), "ok");
  ASSERT_TRUE(click("addDictionary"));
  ASSERT_TRUE(run_until([&] { return rows().size() == 1 && rows()[0][0] == "new"; }));
  EXPECT_EQ(rows()[0], kKepRow("new", "Bob", "-", "-"));
  EXPECT_TRUE(fs::exists(scratch() / "chosen/w.dict/dict.info"));
  // The folder it was chosen from is where the next panel starts.
  EXPECT_EQ(defaults_->string("LAST_DICT_IMPORT_DIR"), (scratch() / "chosen").string());
}

TEST_F(DictionaryPaneTest, AFolderChosenFromTheDictionaryFolderItselfIsNotLost) {
  write_file(dictionaries() / "w.dict/dict.info", "DESCRIPTION mine\n");
  Dictionary prefs;
  pane_->loadPrefs(prefs);
  ASSERT_EQ(command("answer open-panel " + (dictionaries() / "w.dict").string()), "ok");
  ASSERT_TRUE(click("addDictionary"));
  ASSERT_TRUE(run_until([&] { return window_->attached_sheet() == nullptr; }));
  settle();
  EXPECT_EQ(read_file(dictionaries() / "w.dict/dict.info"), "DESCRIPTION mine\n");
  EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"w.dict"});
}

}  // namespace
}  // namespace dictpane_test
