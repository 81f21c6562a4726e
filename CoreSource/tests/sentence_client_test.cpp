#include "services/sentence_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/imelog.h"
#include "platform/tests/runtime_test_support.h"

namespace {

using namespace std::chrono_literals;
using platform::testing_support::PortServerThread;
using platform::testing_support::PrivateRuntimeDir;

constexpr const char* kPort = "KEPCPServerPort";
// "中国" in GBK.
const std::string kZhongguo = "\xD6\xD0\xB9\xFA";
const std::string kSep(1, QCP_PART_SEPARATOR);

// A stand-in sentence service: a canned reply per request payload, and a record of what it
// was sent.
class FakeSentenceService {
 public:
  explicit FakeSentenceService(std::map<std::string, std::optional<std::string>> replies)
      : replies_(std::move(replies)),
        server_(kPort, [this](std::int32_t id, std::string_view payload) {
          std::lock_guard lock(mutex_);
          requests_.push_back({id, std::string(payload)});
          auto it = replies_.find(std::string(payload));
          return it == replies_.end() ? std::nullopt : it->second;
        }) {}
  bool serving() const { return !server_.error(); }
  std::vector<std::pair<std::int32_t, std::string>> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  std::map<std::string, std::optional<std::string>> replies_;
  std::mutex mutex_;
  std::vector<std::pair<std::int32_t, std::string>> requests_;
  PortServerThread server_;  // last: stopped before the members its handler uses
};

class SentenceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ime_log_func = [](const char*) {};  // the failures below are expected; keep them quiet
    ime_sentence_timeout_ms = 200;
    ime_sentence_client_reset_for_testing();
  }
  void TearDown() override {
    ime_log_func = nullptr;
    ime_sentence_timeout_ms = QCP_DEFAULT_TIMEOUT_MS;
  }
  PrivateRuntimeDir runtime_;
};

TEST_F(SentenceClientTest, ConvertStreamSplitsTextAndMarksAndRefusesBadReplies) {
  FakeSentenceService service({
      {"zhong_guo", "000:" + kZhongguo + kSep + "0_"},
      {"empty", "000:" + kSep},
      {"text_nul", "000:" + kZhongguo + std::string(1, '\0') + "junk" + kSep + "0_"},
      {"error", std::string("003:Convert stream 'error' failed.")},
      {"no_ff", "000:" + kZhongguo},
      {"short", std::string("000")},
      {"no_colon", "000x" + kZhongguo + kSep + "0_"},
      {"letters", "0a0:" + kSep},
      {"nothing", std::string()},
      {"none", std::nullopt},
  });
  ASSERT_TRUE(service.serving());
  struct Case {
    const char* pinyin;
    int result;
    std::string text;
    std::string flags;
  };
  const Case cases[] = {
      {"zhong_guo", QCP_CONVERT_OK, kZhongguo, "0_"},
      {"empty", QCP_CONVERT_OK, "", ""},
      {"text_nul", QCP_CONVERT_OK, kZhongguo, "0_"},
      {"error", -1, "", ""},
      {"no_ff", -1, "", ""},
      {"short", -1, "", ""},
      {"no_colon", -1, "", ""},
      {"letters", -1, "", ""},
      {"nothing", -1, "", ""},
      {"none", -1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pinyin);
    std::string text = "stale";
    std::string flags = "stale";
    EXPECT_EQ(QAConvertStream(c.pinyin, &text, &flags), c.result);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(flags, c.flags);
  }
  auto requests = service.requests();
  ASSERT_EQ(requests.size(), std::size(cases));
  for (const auto& [id, payload] : requests) EXPECT_EQ(id, QCP_MSG_CONVERT_STREAM) << payload;
  EXPECT_EQ(requests[0].second, "zhong_guo");  // exactly the string's bytes, no NUL
}

TEST_F(SentenceClientTest, LearnTextSendsPinyinSeparatorAndTextAndReadsOnlyTheStatus) {
  const std::string accepted_request = "*zhong_guo" + kSep + kZhongguo;
  const std::string refused_request = "bad" + kSep + kZhongguo;
  FakeSentenceService service({{accepted_request, std::string("000:S")},
                               {refused_request, std::string("002:Invalid format.")}});
  ASSERT_TRUE(service.serving());
  EXPECT_EQ(QALearnText("*zhong_guo", kZhongguo.c_str()), 0);
  EXPECT_EQ(QALearnText("bad", kZhongguo.c_str()), -1);
  EXPECT_EQ(QALearnText("unknown", ""), -1);  // the service gives no reply data
  EXPECT_EQ(QALearnText(nullptr, ""), -1);
  auto requests = service.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0], std::make_pair(QCP_MSG_LEARN_TEXT, accepted_request));
  EXPECT_EQ(requests[2].second, "unknown" + kSep);
}

TEST_F(SentenceClientTest, FillPinyinReturnsThePayloadOrFails) {
  const std::string joined = "\xD6\xD0_\xB9\xFA";
  FakeSentenceService service({{joined, std::string("000:zhong-guo")},
                               {"x", std::string("002:Fill failed.")},
                               {"y", std::string("000:")}});
  ASSERT_TRUE(service.serving());
  std::string pinyin = "stale";
  EXPECT_EQ(QAFillPY(joined.c_str(), &pinyin), 0);
  EXPECT_EQ(pinyin, "zhong-guo");
  for (const char* failing : {"x", "y", "z"}) {
    pinyin = "stale";
    EXPECT_EQ(QAFillPY(failing, &pinyin), -1) << failing;
    EXPECT_EQ(pinyin, "") << failing;
  }
  EXPECT_EQ(service.requests().front().first, QCP_MSG_FILL_PY);
}

// A service that takes the request and never answers in time: the call gives up after its
// time-out (and callers fall back to their own composition).
TEST_F(SentenceClientTest, ASilentServiceCostsOneTimeOutAndNoMore) {
  std::mutex mutex;
  std::condition_variable released_cv;
  bool released = false;
  PortServerThread service(kPort, [&](std::int32_t, std::string_view) -> std::optional<std::string> {
    std::unique_lock lock(mutex);
    released_cv.wait_for(lock, 5s, [&] { return released; });
    return std::string("000:late");
  });
  ASSERT_FALSE(service.error());
  ime_sentence_timeout_ms = 100;
  std::string text;
  std::string flags;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QAConvertStream("zhong_guo", &text, &flags), -1);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 90ms);
  EXPECT_LT(waited, 1s);
  EXPECT_EQ(text, "");
  {
    std::lock_guard lock(mutex);
    released = true;
  }
  released_cv.notify_all();
}

TEST_F(SentenceClientTest, NoServiceFailsAtOnce) {
  std::string text;
  std::string flags;
  std::string pinyin;
  std::optional<std::string> reply = std::string("stale");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QAConvertStream("zhong_guo", &text, &flags), -1);
  EXPECT_EQ(QALearnText("zhong_guo", kZhongguo.c_str()), -1);
  EXPECT_EQ(QAFillPY(kZhongguo.c_str(), &pinyin), -1);
  EXPECT_EQ(QCPSendDataWithReply(QCP_MSG_CONVERT_STREAM, "x", &reply), -2);
  EXPECT_FALSE(reply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
}

TEST_F(SentenceClientTest, AMissingServiceIsLoggedOnceUntilItAnswers) {
  static std::vector<std::string> lines;
  lines.clear();
  ime_log_func = [](const char* line) { lines.emplace_back(line); };
  std::string text;
  std::string flags;
  for (int key = 0; key < 5; ++key) EXPECT_EQ(QAConvertStream("zhong_guo", &text, &flags), -1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("Send data failed!") != std::string::npos; }),
            1);

  // Once the service answers, a later failure is worth a line again.
  {
    FakeSentenceService service({{"zhong_guo", "000:" + kZhongguo + kSep + "0_"}});
    ASSERT_TRUE(service.serving());
    EXPECT_EQ(QAConvertStream("zhong_guo", &text, &flags), QCP_CONVERT_OK);
  }
  lines.clear();
  EXPECT_EQ(QAConvertStream("zhong_guo", &text, &flags), -1);
  EXPECT_EQ(lines.size(), 1u);
}

// The service refusing a conversion (an input ending inside a syllable, on most keys while
// typing) is worth a debug line; refused learning or filling, and a broken reply, stay errors.
TEST_F(SentenceClientTest, ARefusedConversionIsLoggedAtDebugLevelOnly) {
  static std::vector<std::string> lines;
  lines.clear();
  ime_log_func = [](const char* line) { lines.emplace_back(line); };
  struct DebugLevel {
    int kept = ime_debug_level;
    DebugLevel() { ime_debug_level = 1; }
    ~DebugLevel() { ime_debug_level = kept; }
  } debug_level;
  FakeSentenceService service(
      {{"wo_men_shi_zho", std::string("003:Convert stream 'wo_men_shi_zho' failed.")},
       {"short", std::string("00")},
       {"x", std::string("002:Fill failed.")}});
  ASSERT_TRUE(service.serving());
  auto logged = [](const char* level_word) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.rfind(level_word, 0) == 0 && line.find("==>") == std::string::npos;
    });
  };
  struct Case {
    const char* what;
    std::function<int()> call;
    long errors;
    long debug_lines;
  };
  std::string text;
  std::string flags;
  const Case cases[] = {
      {"refused conversion",
       [&] { return QAConvertStream("wo_men_shi_zho", &text, &flags); }, 0, 1},
      {"short reply", [&] { return QAConvertStream("short", &text, &flags); }, 1, 0},
      {"refused fill", [&] { return QAFillPY("x", &text); }, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lines.clear();
    EXPECT_EQ(c.call(), -1);
    EXPECT_EQ(logged("ERROR"), c.errors);
    EXPECT_EQ(logged("DEBUG"), c.debug_lines);
  }
}

}  // namespace
