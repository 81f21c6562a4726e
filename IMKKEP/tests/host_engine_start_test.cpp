// The server's start of the engine, its settings reload and its power-off.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>

#include "CoreSource/base/config.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/tables/hzfreq.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "IMKKEP/tests/host_window_fixture.h"
#include "platform/plist.h"

namespace {

namespace fs = std::filesystem;
using host_test::ServerLogCapture;

const fs::path kServerResources =
    fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/Resources";

class EngineStartTest : public host_test::ServerHome {};

TEST_F(EngineStartTest, StartsOnTheShippedDataAndCopiesTheDefaultSettings) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  EXPECT_EQ(engine_test::read_file(data_folder() / "imkkep.plist"),
            engine_test::read_file(kServerResources / "imkkep.plist"));
  EXPECT_EQ(fs::file_size(data_folder() / "hzfreq.db"), 960000u);
  EXPECT_EQ(ime_mode, -1) << "the scheme is chosen at the first activation";
  EXPECT_EQ(imkkep::dict_needs_update, 1) << "dictionaries wait for the first reload";
  EXPECT_EQ(ime_udb_loaded, 0) << "so do the user phrases";
  EXPECT_TRUE(ServerLogCapture::logged("TAV is installed.")) << "the staged root ships the sentence service";
}

TEST_F(EngineStartTest, KeepsTheUsersOwnSettingsFile) {
  fs::create_directories(data_folder());
  fs::permissions(data_folder(), fs::perms::owner_all);
  platform::plist::Dictionary mine;
  mine.set("PageUpMask", 3);
  std::error_code error;
  ASSERT_TRUE(platform::plist::save_atomic(data_folder() / "imkkep.plist", mine, error));
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::pageup_mask, 3);
  EXPECT_EQ(imkkep::pagedown_mask, 7) << "a key the file leaves out takes its default";
}

struct HanziVersionCase {
  const char* name;
  const char* user_info;  // nullptr: the user has no hzdb.info
  const char* logged;
};

class HanziDatabaseVersionTest : public host_test::ServerHome,
                                 public ::testing::WithParamInterface<HanziVersionCase> {};

TEST_P(HanziDatabaseVersionTest, ANewHanziDatabaseStartsTheCountersAfresh) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_TRUE(ime_hzfreq_write(5, false, 77));
  imkkep::IMEExit();
  fs::resize_file(data_folder() / "hzfreq.db", 1000);
  if (GetParam().user_info != nullptr) {
    engine_test::write_file(data_folder() / "hzdb.info", GetParam().user_info);
  } else {
    fs::remove(data_folder() / "hzdb.info");
  }

  ServerLogCapture::lines().clear();
  ASSERT_EQ(imkkep::IMEInit(), 0);
  EXPECT_TRUE(ServerLogCapture::logged(GetParam().logged));
  EXPECT_EQ(fs::file_size(data_folder() / "hzfreq.db"), 960000u);
  EXPECT_EQ(ime_hzfreq_read(5, false), 0u);
  EXPECT_EQ(engine_test::read_file(data_folder() / "hzdb.info"),
            engine_test::read_file(fs::path(KEP_STAGED_ROOT) /
                                   "Library/Components/KEP.component/Contents/Resources/hzdb.info"));
}

INSTANTIATE_TEST_SUITE_P(
    UserInfo, HanziDatabaseVersionTest,
    ::testing::Values(
        HanziVersionCase{"Changed", "an older hanzi database\n",
                         "hzdb.info has updated. Remove the hzfreq.db file..."},
        HanziVersionCase{"Missing", nullptr, "hzdb.info not exists. Remove the hzfreq.db..."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineStartTest, TheSameSettingsFileIsReadOnce) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_EQ(imkkep::IMEReload(), 0);
  const platform::plist::Dictionary* loaded = kIMEConfigureDictionary;
  ASSERT_NE(loaded, nullptr);
  EXPECT_FALSE(ServerLogCapture::logged("Date is same, bypass loading..."));

  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_TRUE(ServerLogCapture::logged("Date is same, bypass loading..."));
  EXPECT_EQ(kIMEConfigureDictionary, loaded);

  platform::plist::Dictionary changed = *loaded;
  changed.set("PageDownMask", 2);
  std::error_code error;
  ASSERT_TRUE(platform::plist::save_atomic(data_folder() / "imkkep.plist", changed, error));
  fs::last_write_time(data_folder() / "imkkep.plist",
                      fs::last_write_time(data_folder() / "imkkep.plist") + std::chrono::seconds(2));
  ServerLogCapture::lines().clear();
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_FALSE(ServerLogCapture::logged("Date is same, bypass loading..."));
  EXPECT_EQ(imkkep::pagedown_mask, 2);
}

TEST_F(EngineStartTest, AnUnreadableSettingsFileKeepsTheSettingsInForce) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  const fs::path file = data_folder() / "imkkep.plist";
  auto write_settings = [&](const std::string& text, fs::file_time_type when) {
    engine_test::write_file(file, text);
    fs::last_write_time(file, when);
  };
  platform::plist::Dictionary mine;
  mine.set("PageDownMask", 2);
  const auto start = fs::last_write_time(file);
  write_settings(platform::plist::to_xml(mine), start + std::chrono::seconds(2));
  ASSERT_EQ(imkkep::IMEReload(), 0);
  ASSERT_EQ(imkkep::pagedown_mask, 2);

  // Half written: the settings in force stay.
  write_settings("<?xml version=\"1.0\"?><plist><dict><key>PageDo", start + std::chrono::seconds(4));
  ASSERT_EQ(imkkep::IMEReload(), 0);
  ASSERT_NE(kIMEConfigureDictionary, nullptr);
  EXPECT_EQ(imkkep::pagedown_mask, 2);
  EXPECT_TRUE(ServerLogCapture::logged("Load configure dictionary from '" + file.string() +
                                       "' failed!"));

  // Mended within the same second: still read, since the damaged file's date was not taken.
  mine.set("PageDownMask", 3);
  write_settings(platform::plist::to_xml(mine), start + std::chrono::seconds(4));
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::pagedown_mask, 3);
}

TEST_F(EngineStartTest, ReloadingTheUserPhrasesEndsCompositionsThatShowThem) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_EQ(imkkep::IMEReload(), 0);
  ime_conversation_t* shows_user_word = nullptr;
  ime_conversation_t* other = nullptr;
  ASSERT_EQ(ime_new_conversation(&shows_user_word), 0);
  ASSERT_EQ(ime_new_conversation(&other), 0);
  for (ime_conversation_t* c : {shows_user_word, other}) {
    std::memcpy(c->inbuf, "ni", 2);
    c->inoff = 2;
    imkkep::kConvsTable[reinterpret_cast<std::uintptr_t>(c)] = {c};
  }
  ime_qrdb_entry_t user_word{};
  user_word.type = IME_RESULT_USER_WORD;
  ime_qrdb_add(shows_user_word, IME_LIST_PHRASES, &user_word);
  ASSERT_EQ(ime_qrdb_count(shows_user_word, IME_LIST_PHRASES), 1);

  imkkep::kUDBNeedsReload = 1;
  EXPECT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(shows_user_word->inoff, 0) << "the composition pointing into the old phrases ended";
  EXPECT_EQ(ime_qrdb_count(shows_user_word, IME_LIST_PHRASES), 0);
  EXPECT_EQ(other->inoff, 2) << "a composition without user phrases goes on";

  imkkep::kConvsTable.clear();
  ime_free_conversation(&shows_user_word);
  ime_free_conversation(&other);
}

TEST_F(EngineStartTest, DictionariesWaitWhileACompositionShowsCandidates) {
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ime_conversation_t* busy = nullptr;
  ASSERT_EQ(ime_new_conversation(&busy), 0);
  busy->ncand = 3;
  imkkep::kConvsTable[reinterpret_cast<std::uintptr_t>(busy)] = {busy};

  EXPECT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::dict_needs_update, 1);
  EXPECT_TRUE(ServerLogCapture::logged("IMKKEP: Dictionary needs update."));
  EXPECT_FALSE(ServerLogCapture::logged("IMKKEP: Dictionary update now start...."));

  busy->ncand = 0;
  EXPECT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::dict_needs_update, 0);
  EXPECT_TRUE(ServerLogCapture::logged("IMKKEP: Dictionary update now start...."));
  imkkep::kConvsTable.clear();
  ime_free_conversation(&busy);
}

class EngineExitTest : public host_test::StagedEngine {};

TEST_F(EngineExitTest, PowerOffWritesTheUserPhrasesOnce) {
  type("zhongguo");
  const ime_query_result_t* word = nullptr;
  for (int i = 0; i < convs_->ncand; ++i) {
    if (convs_->cands[i].plen == 2) word = &convs_->cands[i];
  }
  ASSERT_NE(word, nullptr);
  std::string text = reinterpret_cast<const char*>(word->hz);
  // A folder in the file's place makes the write fail: the phrase is then held in memory only.
  fs::remove(data_folder() / "udb.lib");
  fs::create_directory(data_folder() / "udb.lib");
  ASSERT_EQ(ime_udb_add(word), -2);
  fs::remove(data_folder() / "udb.lib");

  imkkep::IMEExit();
  ASSERT_TRUE(fs::exists(data_folder() / "udb.lib"));
  EXPECT_NE(engine_test::read_file(data_folder() / "udb.lib").find(text), std::string::npos);
  EXPECT_TRUE(ServerLogCapture::logged("===> Saving the UDB...."));

  fs::remove(data_folder() / "udb.lib");
  imkkep::IMEExit();
  EXPECT_FALSE(fs::exists(data_folder() / "udb.lib")) << "a second power-off does nothing";
}

TEST_F(EngineStartTest, TheEnginesLinesJoinTheLogOnlyWhenDebugging) {
  imkkep::MyLogFunc("engine line");
  EXPECT_TRUE(ServerLogCapture::logged("engine line"));
  imkkep::_log_flag = 0;
  imkkep::MyLogFunc("hidden line");
  EXPECT_FALSE(ServerLogCapture::logged("hidden line"));

  ASSERT_EQ(imkkep::IMEInit(), 0);
  imkkep::KEPReadLogFlag();
  EXPECT_EQ(imkkep::_log_flag, 0);
  engine_test::write_file(data_folder() / "__debug", "");
  imkkep::KEPReadLogFlag();
  EXPECT_EQ(imkkep::_log_flag, 1);
}

TEST_F(EngineStartTest, TheSilentModeNoticeReadsTheServersStrings) {
  platform::testing_support::PrivateRuntimeDir runtime;
  host_test::FakeCandidateWindow window;
  ASSERT_EQ(imkkep::PostGrowlLocalizedString("Silent Mode", "/usr/bin/app", "GO_NORMAL_MODE",
                                             "(missing)"),
            0);
  std::optional<host_test::WindowMessage> notice = window.message(0);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->payload, "Silent Mode:/usr/bin/app Back to input mode.");
}

}  // namespace
