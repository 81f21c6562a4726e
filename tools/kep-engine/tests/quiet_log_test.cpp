// The engine's log on the generated data with debug logging off: a new user's first start and
// ordinary typing leave nothing in ime.log, so only what goes wrong is ever written there.
#include <gtest/gtest.h>

#include <algorithm>

#include "session/input_scheme.h"
#include "session/key_script.h"
#include "session/typing_session.h"
#include "staged_engine_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSentences[] = {
    "woxihuanchipingguo",      "mingtianhuixiayu",          "zhegedifanghenpiaoliang",
    "womenyiqixuexizhongwen",  "tazaitushuguankanshu",      "qingwenhuochezhanzainali",
    "xiawuwodianyouhuiyi",     "zhejianyifuhenpianyi",      "nideshoujihaomashiduoshao",
    "jintiandegongzuohenmang", "wangluolianjiechuwentile", "zhoumowomenqupashanba",
    "zheshiwodepengyou",       "tamenzhengzaichifan",      "shijianguodehenkuai",
    "qingbazhegejiaogeita",    "laoshijiangdehenqingchu",  "chengshidejiaotonghendu",
    "yiqiechoudouhenshunli",   "dianhuahaomayijingbiele",
};

class QuietLog : public StagedEngineTest {
 protected:
  // What the engine wrote to ime.log so far (nothing when the file was never made).
  std::string log_text() const { return engine_test::read_file(data_folder() / "ime.log"); }
};

TEST_F(QuietLog, ANewUsersFirstStartLogsNoError) {
  EXPECT_FALSE(fs::exists(data_folder() / "Dictionary"));
  EXPECT_EQ(log_text().find("ERROR|"), std::string::npos) << log_text();
}

TEST_F(QuietLog, TypingSentencesWritesNoLine) {
  const std::string before = log_text();
  std::optional<kep_session::TypingSession> session = kep_session::TypingSession::open(false);
  ASSERT_TRUE(session);
  const kep_session::Key space{kep_session::KeyKind::Space, 0};
  for (const char* sentence : kSentences) {
    SCOPED_TRACE(sentence);
    std::string error;
    auto keys = kep_session::parse_key_script(sentence, &error);
    ASSERT_TRUE(keys) << error;
    for (const kep_session::Key& key : *keys) session->type(key);
    // Space takes the first candidate, a part of the sentence at a time.
    for (int part = 0; part < 20 && session->conversation()->inoff > 0; ++part) session->type(space);
    EXPECT_EQ(session->conversation()->inoff, 0);
  }
  // The shipped settings ask the sentence service, which only the server starts: its absence
  // is said once, not at every key.
  const std::string written = log_text().substr(before.size());
  EXPECT_EQ(written.find("Send data failed!"), written.rfind("Send data failed!")) << written;
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1) << written;
}

TEST_F(QuietLog, TypingDoublePinyinWritesNoLine) {
  std::string error;
  ASSERT_TRUE(kep_session::select_input_scheme("double:ziranma", "", &error)) << error;
  const std::string before = log_text();
  std::optional<kep_session::TypingSession> session = kep_session::TypingSession::open(false);
  ASSERT_TRUE(session);
  std::vector<std::string> commits;
  // zhongguo, nihao, women in the ziranma scheme.
  auto keys = kep_session::parse_key_script("vsgo<space>nihk<space>womf<space>", &error);
  ASSERT_TRUE(keys) << error;
  for (const kep_session::Key& key : *keys) {
    for (const std::string& text : session->type(key).commits) commits.push_back(text);
  }
  EXPECT_EQ(commits.size(), 3u);
  EXPECT_EQ(log_text(), before);
  kep_session::close_input_scheme();
}

}  // namespace
