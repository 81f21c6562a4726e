// What the server does when other programs post to it: a staged dictionary, a user phrase file
// changed by the user dictionary manager, or needed on disk by it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CoreSource/record/conversation.h"
#include "CoreSource/tests/engine_test_support.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "IMKKEP/tests/loop_wait.h"
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
    manager_->add_observer(kMark, "KEP", [this](const platform::notify::Notification&) { ++marks_; });
  }
  void TearDown() override {
    manager_.reset();
    imkkep::KEPAppDelegate::shared().unregisterObservers();
    host_test::StagedEngine::TearDown();
  }

  // Posts as another program would; the server's loop takes it in while the test waits.
  void post(const char* name, const char* object) {
    std::error_code error;
    ASSERT_TRUE(platform::notify::post_distributed({name, object}, error)) << error.message();
  }

  // Runs the server's loop until `done` holds.
  bool until(const std::function<bool()>& done) { return server_test::run_until(loop_, done); }

  // Runs the loop until what the server posted so far has reached the test's own observer: a
  // program's datagrams arrive in the order they were sent, so a mark posted now comes after.
  bool drained() {
    const int marks = marks_;
    std::error_code error;
    if (!platform::notify::post_distributed({kMark, "KEP"}, error)) return false;
    return until([&] { return marks_ > marks; });
  }

  static std::size_t times_logged(const std::string& line) {
    const std::vector<std::string>& lines = ServerLogCapture::lines();
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
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
  int marks_ = 0;
  static constexpr const char* kMark = "KEPTestMark";
};

TEST_F(ServerObservers, AStagedDictionaryIsTakenInAtTheNextReload) {
  ASSERT_EQ(imkkep::dict_needs_update, 0);
  post("DARUZ_DICT_UPDATED", "KEP");  // another object: not for the server
  post("DARUZ_DICT_UPDATED", "IMKKEP");
  // The two reach the server in the order posted: once the second is in, so was the first.
  ASSERT_TRUE(until([] { return imkkep::dict_needs_update == 1; }));
  EXPECT_EQ(times_logged("IMKKEP: Receive a daruz cell dictionary update notification."), 1u)
      << "the notice for another object was taken";
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

  const std::string received = "IMKKEP: Receive a udb database save notification.";
  post("KEPUDBSave", "JEV");
  ASSERT_TRUE(until([&] { return times_logged(received) == 1; }));
  ASSERT_TRUE(drained());
  EXPECT_EQ(saved_, 0) << "a failed save must not be answered";
  EXPECT_TRUE(holds_user_phrase(text)) << "a failed save keeps the phrases";

  fs::remove(udb());
  post("KEPUDBSave", "JEV");
  ASSERT_TRUE(until([&] { return saved_ >= 1; }));
  ASSERT_TRUE(drained());
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
  ASSERT_TRUE(until([&] { return holds_user_phrase(added); }));
  EXPECT_TRUE(holds_user_phrase(text));
  EXPECT_EQ(convs_->ncand, 0) << "the composition showing a user phrase ended";
  imkkep::kConvsTable.clear();
}

}  // namespace
