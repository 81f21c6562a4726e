// "Update now" against the scripted update service on 127.0.0.1: the statuses the query ends
// in, and rows that fail, stop and stage their dictionary.
#include "pane_harness.h"
#include "tools/kep-httpd/test_server.h"

namespace dictpane_test {
namespace {

constexpr const char* kPanel = "DaruzDictUpdate";
constexpr const char* kQueryPath = "/dict/upt_cell_dict.php";
// 2010-01-01 08:00:00 in China Standard Time.
constexpr std::int32_t kInstalledVersion = 1262304000;

class UpdateNowTest : public PaneTest {
 protected:
  void SetUp() override {
    PaneTest::SetUp();
    server_ = std::make_unique<kep_httpd::TestHttpServer>("");
    // The program's own user default names the service, over the bundle's address.
    defaults_->set("KEPCellDictUpdateURL", Value(server_->url("")));
  }
  void TearDown() override {
    PaneTest::TearDown();
    server_.reset();
  }

  void install(const std::string& name, const std::string& uid) {
    write_file(dictionaries() / name / "dict.info", "USER Old words\nTOTAL_COUNT 2\n");
    write_file(dictionaries() / name / "uid.info", uid);
    write_file(dictionaries() / name / "version.info", std::to_string(kInstalledVersion));
  }
  void serve(const std::string& rules) { server_->set_rules(rules); }
  std::string row_line(const std::string& uid, const std::string& path) {
    return uid + "|2030-01-01 00:00:00|" + server_->url(path);
  }

  std::string status() {
    return find_as<platform::ui::TextField>("updateStatus")->text();
  }
  // Clicks "update now" and waits until the query has ended.
  void update_now() {
    Dictionary prefs;
    pane_->loadPrefs(prefs);
    auto* button = find_as<platform::ui::Button>("updateNow");
    ASSERT_TRUE(click("updateNow"));
    EXPECT_FALSE(button->is_enabled());
    ASSERT_TRUE(run_until([&] {
      return button->is_enabled() || (window(kPanel) != nullptr && window(kPanel)->is_sheet());
    }));
  }
  platform::ui::View* row_view(const std::string& identifier) { return find_in(kPanel, identifier); }
  std::string row_status() {
    auto* field = dynamic_cast<platform::ui::TextField*>(row_view("rowStatus0"));
    return field != nullptr ? field->text() : "<none>";
  }
  bool row_finished() {
    auto* bar = dynamic_cast<platform::ui::ProgressIndicator*>(row_view("rowProgress0"));
    return bar != nullptr && bar->is_hidden();
  }
  bool quit_and_wait() {
    if (!click_in(kPanel, "quitUpdates")) return false;
    return run_until([&] { return !window(kPanel)->is_sheet(); });
  }

  // One row whose body arrives a piece every 200 ms, shown in the update sheet.
  void start_slow_download() {
    install("words.scel", "1234");
    write_file(server_->folder() / "new.scel", cell_dict_bytes(cell_dict("1234", 2000)));
    serve(std::string(kQueryPath) + " length " + row_line("1234", "/d/1234.scel") + "\\n\n" +
          "/d/1234.scel slow 200 @new.scel\n");
    update_now();
    ASSERT_TRUE(window(kPanel) != nullptr && window(kPanel)->is_sheet());
  }

  std::unique_ptr<kep_httpd::TestHttpServer> server_;
};

TEST_F(UpdateNowTest, TheQueryEndsInTheStatusOfWhatTheServiceSaid) {
  install("words.scel", "1234");
  struct Case {
    std::string rules;
    std::string status;
  };
  const std::vector<Case> cases = {
      {std::string(kQueryPath) + " length", "No cell dictionary to update."},
      {std::string(kQueryPath) + " length \\n", "Every dictionary is up to date."},
      {std::string(kQueryPath) + " length <HTML><TITLE>portal</TITLE></HTML>",
       "The update service could not be asked."},
      {std::string(kQueryPath) + " length 1234|2010-01-01 08:00:00|http://127.0.0.1:9/x.scel\\n",
       "Every dictionary is up to date."},
  };
  for (const Case& c : cases) {
    serve(c.rules);
    update_now();
    EXPECT_EQ(status(), c.status) << c.rules;
    EXPECT_TRUE(window(kPanel) == nullptr || !window(kPanel)->is_sheet()) << c.rules;
  }
  // Each query asked for the installed uid after the uid 4, as the service expects.
  const auto requests = server_->requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests.front().find(std::string(kQueryPath) + "?id=4|id=1234"), std::string::npos)
      << requests.front();
  EXPECT_NE(requests.front().find("KEP_UPDATER"), std::string::npos);
}

TEST_F(UpdateNowTest, ASevenByteDownloadFailsTheRowAndHidesItsBar) {
  install("words.scel", "1234");
  serve(std::string(kQueryPath) + " length " + row_line("1234", "/d/1234.scel") + "\\n\n" +
        "/d/1234.scel length 1234567\n");
  update_now();
  ASSERT_NE(window(kPanel), nullptr);
  ASSERT_TRUE(window(kPanel)->is_sheet());
  EXPECT_EQ(dynamic_cast<platform::ui::TextField*>(row_view("rowTitle0"))->text(), "Old words");
  ASSERT_TRUE(run_until([&] { return row_finished(); }));
  EXPECT_EQ(row_status(), "The download failed.");
  EXPECT_FALSE(fs::exists(dictionaries() / "__new__words.scel"));
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");
  ASSERT_TRUE(quit_and_wait());
  ASSERT_TRUE(run_until([&] { return posts.count() == 1; }));
  EXPECT_EQ(status(), "");
  EXPECT_TRUE(find_as<platform::ui::Button>("updateNow")->is_enabled());
}

TEST_F(UpdateNowTest, StopDuringASlowDownloadAbortsTheRowAndStagesNothing) {
  ASSERT_NO_FATAL_FAILURE(start_slow_download());
  // Stopped once the body has begun to arrive.
  auto* bar = dynamic_cast<platform::ui::ProgressIndicator*>(row_view("rowProgress0"));
  ASSERT_TRUE(run_until([&] { return !bar->is_indeterminate() && bar->double_value() > 0; }));
  ASSERT_TRUE(click_in(kPanel, "rowStop0"));
  ASSERT_TRUE(run_until([&] { return row_finished(); }));
  EXPECT_EQ(row_status(), "Stopped.");
  const auto names = names_in(dictionaries());
  EXPECT_EQ(names, std::vector<std::string>{"words.scel"});
  ASSERT_TRUE(quit_and_wait());
}

TEST_F(UpdateNowTest, ASuccessfulRowLeavesACompleteStagingFolderAndNoLock) {
  install("words.scel", "1234");
  const auto installed = tree_of(dictionaries() / "words.scel");
  write_file(server_->folder() / "new.scel", cell_dict_bytes(cell_dict("1234", 300, "New words")));
  serve(std::string(kQueryPath) + " length " + row_line("1234", "/d/1234.scel") + "\\n\n" +
        "/d/1234.scel length @new.scel\n");
  update_now();
  ASSERT_TRUE(window(kPanel) != nullptr && window(kPanel)->is_sheet());
  ASSERT_TRUE(run_until([&] { return row_finished(); }));
  const fs::path staged = dictionaries() / "__new__words.scel";
  EXPECT_TRUE(fs::exists(staged / "dict.info"));
  EXPECT_EQ(read_file(staged / "uid.info"), "1234");
  EXPECT_FALSE(fs::exists(dictionaries() / ".words.scel"));
  EXPECT_EQ(tree_of(dictionaries() / "words.scel"), installed);
  PostCounter posts(loop_, "DARUZ_DICT_UPDATED", "IMKKEP");
  ASSERT_TRUE(quit_and_wait());
  ASSERT_TRUE(run_until([&] { return posts.count() == 1; }));
}

TEST_F(UpdateNowTest, ClosingTheWindowDuringADownloadStopsTheRun) {
  ASSERT_NO_FATAL_FAILURE(start_slow_download());
  auto* bar = dynamic_cast<platform::ui::ProgressIndicator*>(row_view("rowProgress0"));
  ASSERT_TRUE(run_until([&] { return bar->double_value() > 0; }));
  window_.reset();
  EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"words.scel"});
}

}  // namespace
}  // namespace dictpane_test
