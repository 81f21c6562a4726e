// What the server does when other programs post to it: a staged dictionary, a user phrase file
// changed by the user dictionary manager, or needed on disk by it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "CoreSource/record/conversation.h"
#include "CoreSource/tests/engine_test_support.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/KEPAppDelegate.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "platform/notify.h"
#include "platform/runloop.h"

namespace {

namespace fs = std::filesystem;
using host_test::ServerLogCapture;

class ServerObservers : public host_test::StagedEngine {
 protected:
  void SetUp() override {
    host_test::StagedEngine::SetUp();
    ASSERT_TRUE(imkkep::KEPAppDelegate::shared().registerObservers(loop_));
    std::error_code error;
    manager_ = platform::notify::DistributedCenter::create(loop_, error);
    ASSERT_TRUE(manager_) << error.message();
    manager_->add_observer("KEPUDBSaved", "KEP",
                           [this](const platform::notify::Notification&) { ++saved_; });
  }
  void TearDown() override {
    manager_.reset();
    imkkep::KEPAppDelegate::shared().unregisterObservers();
    host_test::StagedEngine::TearDown();
  }

  // Posts as another program would, and lets the server's loop take it in.
  void post(const char* name, const char* object) {
    std::error_code error;
    ASSERT_TRUE(platform::notify::post_distributed({name, object}, error)) << error.message();
    loop_.run_for(std::chrono::milliseconds(150));
  }

  // A two-syllable word of the current page.
  const ime_query_result_t* word_on_page() const {
    for (int i = 0; i < convs_->ncand; ++i) {
      if (convs_->cands[i].plen == 2) return &convs_->cands[i];
    }
    return nullptr;
  }

  bool holds_user_phrase(const std::string& text) const {
    for (const UDBItem* item : ime_udb_items()) {
      if (item->text == text) return true;
    }
    return false;
  }

  fs::path udb() const { return data_folder() / "udb.lib"; }

  engine_test::TempDir runtime_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  platform::RunLoop loop_;
  std::unique_ptr<platform::notify::DistributedCenter> manager_;
  int saved_ = 0;
};

TEST_F(ServerObservers, AStagedDictionaryIsTakenInAtTheNextReload) {
  ASSERT_EQ(imkkep::dict_needs_update, 0);
  post("DARUZ_DICT_UPDATED", "KEP");  // another object: not for the server
  EXPECT_EQ(imkkep::dict_needs_update, 0);
  post("DARUZ_DICT_UPDATED", "IMKKEP");
  EXPECT_EQ(imkkep::dict_needs_update, 1);
  EXPECT_TRUE(ServerLogCapture::logged(
      "IMKKEP: Receive a daruz cell dictionary update notification."));
}

TEST_F(ServerObservers, ASaveIsAnsweredOnlyOnceTheFileHoldsThePhrases) {
  type("zhongguo");
  const ime_query_result_t* word = word_on_page();
  ASSERT_NE(word, nullptr);
  const std::string text = reinterpret_cast<const char*>(word->hz);
  // A folder in the file's place: the phrase is learned in memory only, and a save fails.
  fs::remove(udb());
  fs::create_directory(udb());
  ASSERT_EQ(ime_udb_add(word), -2);

  post("KEPUDBSave", "JEV");
  EXPECT_EQ(saved_, 0) << "a failed save must not be answered";
  EXPECT_TRUE(holds_user_phrase(text)) << "a failed save keeps the phrases";

  fs::remove(udb());
  post("KEPUDBSave", "JEV");
  EXPECT_EQ(saved_, 1);
  EXPECT_NE(engine_test::read_file(udb()).find(text), std::string::npos);
  EXPECT_TRUE(holds_user_phrase(text)) << "the saved phrases are offered again";
  EXPECT_TRUE(ServerLogCapture::logged("IMKKEP: UDB save done."));
}

TEST_F(ServerObservers, AReloadOffersWhatTheManagerAddedAndEndsCompositionsShowingUserPhrases) {
  type("zhongguo");
  const ime_query_result_t* word = word_on_page();
  ASSERT_NE(word, nullptr);
  const std::string text = reinterpret_cast<const char*>(word->hz);
  ASSERT_EQ(ime_udb_add(word), 0);
  // The manager adds a phrase of the same reading with other characters.
  const std::string added = text == "中锅" ? "钟国" : "中锅";
  std::string file = engine_test::read_file(udb());
  const std::size_t line_start = file.rfind('\n', file.find(text)) + 1;
  std::string line = file.substr(line_start, file.find('\n', line_start) - line_start + 1);
  for (std::size_t at; (at = line.find(text)) != std::string::npos;) line.replace(at, text.size(), added);
  file.insert(line_start, line);
  engine_test::write_file(udb(), file);
  ASSERT_FALSE(holds_user_phrase(added));

  // A composition that shows the learned phrase cannot keep it across the reload.
  ime_convs_reset(convs_);
  type("zhongguo");
  imkkep::kConvsTable[reinterpret_cast<std::uintptr_t>(convs_)] = {convs_};
  bool shows_user_word = false;
  for (int i = 0; i < convs_->ncand; ++i) shows_user_word |= convs_->cands[i].type == 3;
  ASSERT_TRUE(shows_user_word);

  post("KEPUDBReload", "JEV");
  EXPECT_TRUE(holds_user_phrase(added));
  EXPECT_TRUE(holds_user_phrase(text));
  EXPECT_EQ(convs_->ncand, 0) << "the composition showing a user phrase ended";
  imkkep::kConvsTable.clear();
}

}  // namespace
