// The sentence service while typing: its sentence shown when it answers, the greedy sentence when
// it does not, and a silent service costing one time-out rather than one on every key. Also the
// bounds of the composed texts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/text.h"
#include "service_fixture.h"

namespace matcher_test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string gbk(const char* utf8) {
  return platform::text::from_utf8(utf8, platform::text::Encoding::Gbk).value_or("");
}

// A stand-in for the sentence service: answers every conversion with `reply` (only the one of
// `only_for` when given; others get an error status), or, when silent, holds each request
// until the test ends. Learning requests are accepted and kept.
class FakeService {
 public:
  explicit FakeService(std::optional<std::string> convert_reply, std::string fill_reply = "",
                       std::string only_for = "")
      : convert_reply_(std::move(convert_reply)),
        fill_reply_(std::move(fill_reply)),
        only_for_(std::move(only_for)),
        server_("KEPCPServerPort", [this](std::int32_t id, std::string_view payload) -> std::optional<std::string> {
          ++requests_;
          if (!convert_reply_) {
            std::unique_lock lock(mutex_);
            released_.wait_for(lock, 5s, [this] { return release_; });
            return std::nullopt;
          }
          if (id == QCP_MSG_LEARN_TEXT) {
            std::lock_guard lock(mutex_);
            learned_.emplace_back(payload);
            return std::string("000:");
          }
          if (id == QCP_MSG_FILL_PY) return fill_reply_;
          if (!only_for_.empty() && payload != only_for_) return std::string("001:no sentence");
          return *convert_reply_;
        }) {}
  std::vector<std::string> learned() {
    std::lock_guard lock(mutex_);
    return learned_;
  }
  ~FakeService() {
    {
      std::lock_guard lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
  }
  bool serving() const { return !server_.error(); }
  int requests() const { return requests_; }

 private:
  std::optional<std::string> convert_reply_;
  std::string fill_reply_;
  std::string only_for_;
  std::vector<std::string> learned_;
  std::atomic<int> requests_{0};
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  platform::testing_support::PortServerThread server_;  // last: stopped first
};

TEST_F(ServiceTest, ASilentServiceCostsOneTimeOutAndTheGreedySentenceIsShown) {
  FakeService service(std::nullopt);
  ASSERT_TRUE(service.serving());
  const auto started = Clock::now();
  type("womenshizhongguoren");
  const auto took = Clock::now() - started;
  EXPECT_EQ(first(), "我们是中国人");
  EXPECT_EQ(service.requests(), 1);
  EXPECT_LT(took, 3 * 300ms);  // one time-out, not one per key (13 keys ask for a sentence)
  EXPECT_EQ(commit("<space>"), "我们是中国人");
}

TEST_F(ServiceTest, WithoutAServiceTypingDoesNotWait) {
  const auto started = Clock::now();
  type("womenshizhongguoren");
  EXPECT_LT(Clock::now() - started, 300ms);
  EXPECT_EQ(first(), "我们是中国人");
}

TEST_F(ServiceTest, AnAnsweringServiceGivesTheSentence) {
  // 使 is no character of the readings file: its reading comes from the service too.
  FakeService service("000:" + gbk("我们使中国人") + "\xFF" + "_*__*_",
                      "000:wo-men-shi-zhong-guo-ren");
  ASSERT_TRUE(service.serving());
  type("womenshizhongguoren");
  EXPECT_EQ(first(), "我们使中国人");
  EXPECT_EQ(c_->sentence.type, IME_RESULT_SENTENCE);
  EXPECT_EQ(c_->sentence.plen, 6);
  EXPECT_EQ(std::string(hm_fen, 6), "_*__*_");
  EXPECT_EQ(commit("<space>"), "我们使中国人");
}

TEST_F(ServiceTest, ACorrectedServiceSentenceIsTaughtToTheService) {
  FakeService service("000:" + gbk("我们使中国人") + "\xFF" + "0__00_",
                      "000:wo-men-shi-zhong-guo-ren", "wo_men_shi_zhong_guo_ren");
  ASSERT_TRUE(service.serving());
  type("womenshizhongguoren");
  ASSERT_EQ(page()[1], "我们");
  type("2");  // the service has no sentence for the rest: the greedy one is offered
  EXPECT_EQ(first(), "是中国人");
  ime_duration = 300000;
  EXPECT_EQ(commit("<space>"), "我们是中国人");
  ime_duration = 0;
  // One character of six changed: the service learns it, with the words the user chose.
  EXPECT_EQ(service.learned(),
            std::vector<std::string>{"wo_men_*shi_zhong_guo_ren\xFF" + gbk("我们_是_中国人")});
}

TEST_F(ServiceTest, AFillThatCouldNotReadACharacterFallsBackToTheGreedySentence) {
  // The service writes 使, which it cannot read either, as itself.
  FakeService service("000:" + gbk("我们使中国人") + "\xFF" + "_*__*_",
                      "000:wo-men-" + gbk("使") + "-zhong-guo-ren");
  ASSERT_TRUE(service.serving());
  type("womenshizhongguoren");
  EXPECT_EQ(first(), "我们是中国人");
}

TEST_F(ServiceTest, AServiceAnswerWithoutSeparatorFallsBackToTheGreedySentence) {
  FakeService service("000:" + gbk("我们使中国人"));
  ASSERT_TRUE(service.serving());
  type("womenshizhongguoren");
  EXPECT_EQ(first(), "我们是中国人");
}

#if defined(KEP_SENTENCE_PROGRAM) && defined(KEP_STAGED_ROOT)
// The staged service with its own libraries, against this vocabulary's readings, which lack
// most characters: the service's sentence is shown with the readings the service fills in.
TEST_F(ServiceTest, TheServiceFillsTheReadingsTheEngineLacks) {
  auto service = start_staged_service();
  ASSERT_TRUE(service);

  std::string text;
  std::string marks;
  ASSERT_EQ(QAConvertStream("ta_de_peng_you", &text, &marks), QCP_CONVERT_OK);
  std::string readings;
  ASSERT_EQ(QAFillPY((text.substr(0, 2) + "_" + text.substr(2, 2) + "_" + text.substr(4, 2) + "_" +
                      text.substr(6, 2)).c_str(), &readings), 0);
  EXPECT_EQ(readings, "ta-de-peng-you");
  const std::string shown = platform::text::to_utf8(text, platform::text::Encoding::Gbk).value_or("");
  ASSERT_EQ(shown.size(), 12u) << shown;

  type("tadepengyou");
  EXPECT_EQ(first(), shown);
  EXPECT_EQ(c_->sentence.type, IME_RESULT_SENTENCE);
  EXPECT_EQ(c_->sentence.plen, 4);
  EXPECT_EQ(commit("<space>"), shown);
  EXPECT_TRUE(service->terminate());
}
#endif

TEST_F(MatcherTest, ComposedTextsAreCutAtACharacterBoundary) {
  // Sixty syllables of 的: 180 bytes of sentence do not fit its 179.
  std::string keys;
  for (int i = 0; i < 60; ++i) keys += "de";
  type(keys);
  const std::string sentence(reinterpret_cast<const char*>(c_->sentence.hz));
  EXPECT_EQ(sentence.size(), 177u);
  EXPECT_EQ(c_->sentence.hlen, 177);
  EXPECT_TRUE(platform::text::is_valid_utf8(sentence));

  // Fifty-one syllables of zhong and their separators do not fit the 256-byte output; with a
  // character chosen the cut still falls between characters.
  ime_convs_reset(c_);
  keys.clear();
  for (int i = 0; i < 51; ++i) keys += "zhong";
  type(keys);
  EXPECT_EQ(c_->outlen, 256);
  type("<pgdn><pgup>");
  ASSERT_EQ(page()[1], "中");
  type("2");
  EXPECT_EQ(output().substr(0, 3), "中");
  EXPECT_LE(c_->outlen, 256);
  EXPECT_TRUE(platform::text::is_valid_utf8(output()));
}

}  // namespace
}  // namespace matcher_test
