// The helper services while a key waits: a service that does not answer costs one short wait,
// then is left alone until its rest is over; one whose port nobody serves is reported to the
// host at once.
#include "services/service_peer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/imelog.h"
#include "match/convs_sentence.h"
#include "platform/plist.h"
#include "platform/tests/runtime_test_support.h"
#include "record/traditional_form.h"
#include "services/ccclient.h"
#include "services/sentence_client.h"
#include "start/config_reload.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::testing_support::PortServerThread;
using platform::testing_support::PrivateRuntimeDir;

// "中国" in GBK.
const std::string kZhongguo = "\xD6\xD0\xB9\xFA";

// The clock rests are measured by, moved by the tests.
Clock::time_point test_now = Clock::now();
Clock::time_point read_test_clock() { return test_now; }

std::vector<std::string>& log_lines() {
  static std::vector<std::string> lines;
  return lines;
}

long logged(const std::string& text) {
  return std::count_if(log_lines().begin(), log_lines().end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

// A service as the engine asks it: its port, the program serving it, one request made the way
// typing makes it, and the reply a working service gives that request.
struct Service {
  const char* name;
  const char* port;
  const char* program;
  ime_service_peer_t* peer;
  std::function<bool()> ask;  // true when the service's answer was used
  std::string reply;
};

void PrintTo(const Service& service, std::ostream* out) { *out << service.name; }

std::string converted;
std::string sentence;
std::string marks;

const Service kServices[] = {
    {"converter", "KEPCCServerPort", "IMKKEPSimp2TradConverter.app", &ime_converter_service,
     [] { return QAConvertChinese("头发", std::strlen("头发"), &converted) >= 0; },
     "000:頭髮"},
    {"sentence", "KEPCPServerPort", "IMKKEPSentenceParser.app", &ime_sentence_service,
     [] { return QAConvertStream("zhong_guo", &sentence, &marks) == QCP_CONVERT_OK; },
     "000:" + kZhongguo + std::string(1, QCP_PART_SEPARATOR) + "0_"},
};

// A service that was stopped: its port takes connections and requests, but its loop never runs,
// so nothing is ever answered.
class StoppedService {
 public:
  explicit StoppedService(const char* port) {
    port_ = platform::ports::LocalPort::create(
        port, [](std::int32_t, std::string_view) { return std::optional<std::string>(); }, loop_,
        error_);
  }
  bool serving() const { return port_ != nullptr; }

 private:
  platform::RunLoop loop_;
  std::error_code error_;
  std::unique_ptr<platform::ports::LocalPort> port_;
};

// A working service that counts the requests it answers.
class AnsweringService {
 public:
  AnsweringService(const char* port, std::string reply)
      : server_(port, [this, reply](std::int32_t, std::string_view) {
          ++requests;
          return std::optional<std::string>(reply);
        }) {}
  bool serving() const { return !server_.error(); }
  std::atomic<int> requests{0};

 private:
  PortServerThread server_;  // last: stopped before the counter its handler uses
};

class ServicePeerTest : public ::testing::TestWithParam<Service> {
 protected:
  void SetUp() override {
    log_lines().clear();
    ime_log_func = [](const char* line) { log_lines().emplace_back(line); };
    test_now = Clock::now();
    ime_set_service_clock_for_testing(read_test_clock);
    ime_service_forget(&ime_converter_service);
    ime_service_forget(&ime_sentence_service);
    ime_set_service_gone_hook([this](std::string_view program) { gone_.emplace_back(program); });
  }
  void TearDown() override {
    ime_set_service_gone_hook(nullptr);
    ime_set_service_clock_for_testing(nullptr);
    ime_service_forget(&ime_converter_service);
    ime_service_forget(&ime_sentence_service);
    ime_log_func = nullptr;
  }

  PrivateRuntimeDir runtime_;
  std::vector<std::string> gone_;
};

TEST_P(ServicePeerTest, AHungServiceCostsOneShortWaitThenIsLeftAloneUntilItsRestIsOver) {
  const Service& service = GetParam();
  {
    StoppedService stopped(service.port);
    ASSERT_TRUE(stopped.serving());
    const auto asked = Clock::now();
    EXPECT_FALSE(service.ask());
    EXPECT_LT(Clock::now() - asked, 2s) << "the key waited as long as the old time-out";
    EXPECT_EQ(logged("did not answer"), 1);
  }
  EXPECT_TRUE(gone_.empty()) << "a service that is there but silent is not gone";

  // It answers again, but its rest is not over: the next keys do not ask it.
  AnsweringService answering(service.port, service.reply);
  ASSERT_TRUE(answering.serving());
  const auto resting = Clock::now();
  for (int key = 0; key < 5; ++key) EXPECT_FALSE(service.ask()) << "key " << key;
  EXPECT_LT(Clock::now() - resting, 2s);
  EXPECT_EQ(answering.requests, 0);
  test_now += IME_SERVICE_REST - 1s;
  EXPECT_FALSE(service.ask());
  EXPECT_EQ(answering.requests, 0);
  EXPECT_EQ(logged("did not answer"), 1);

  // The rest is over: it is asked, and its answer used.
  test_now += 2s;
  EXPECT_TRUE(service.ask());
  EXPECT_EQ(answering.requests, 1);
  EXPECT_TRUE(service.ask());
  EXPECT_EQ(answering.requests, 2);
}

TEST_P(ServicePeerTest, APortNobodyServesIsReportedAsGoneAtOnceEveryTime) {
  const Service& service = GetParam();
  const auto asked = Clock::now();
  EXPECT_FALSE(service.ask());
  EXPECT_FALSE(service.ask());
  EXPECT_LT(Clock::now() - asked, 2s);
  EXPECT_EQ(gone_, (std::vector<std::string>{service.program, service.program}));
  // Not being served is no time-out: it comes back and is asked at once.
  EXPECT_EQ(logged("did not answer"), 0);
  AnsweringService answering(service.port, service.reply);
  ASSERT_TRUE(answering.serving());
  EXPECT_TRUE(service.ask());
  EXPECT_EQ(answering.requests, 1);
}

TEST_P(ServicePeerTest, AFailingServiceIsLoggedOncePerOutage) {
  const Service& service = GetParam();
  for (int key = 0; key < 4; ++key) EXPECT_FALSE(service.ask());
  EXPECT_EQ(logged(service.peer->failure_line), 1);
  {
    AnsweringService answering(service.port, service.reply);
    ASSERT_TRUE(answering.serving());
    EXPECT_TRUE(service.ask());
  }
  EXPECT_FALSE(service.ask());
  EXPECT_EQ(logged(service.peer->failure_line), 2);
}

INSTANTIATE_TEST_SUITE_P(Services, ServicePeerTest, ::testing::ValuesIn(kServices),
                         [](const auto& info) { return std::string(info.param.name); });

class ServiceFallbackTest : public ServicePeerTest {};

// A service stopped for long has its queue of connections full: connecting waits the bound and
// fails, which counts as not answering, so later keys do not wait again.
TEST_F(ServiceFallbackTest, AServiceWhoseQueueIsFullIsLeftAloneToo) {
  const Service& service = kServices[0];
  StoppedService stopped(service.port);
  ASSERT_TRUE(stopped.serving());
  std::vector<platform::ports::RemotePort> queued;
  for (int i = 0; i < 1000; ++i) {
    std::error_code error;
    std::optional<platform::ports::RemotePort> port =
        platform::ports::RemotePort::open(service.port, error, 0ms);
    if (!port) break;
    queued.push_back(std::move(*port));
  }
  ASSERT_LT(queued.size(), 1000u) << "the queue never filled";
  const auto asked = Clock::now();
  EXPECT_FALSE(service.ask());
  EXPECT_LT(Clock::now() - asked, 2s) << "connecting waited the ports' default bound";
  EXPECT_EQ(logged("did not answer"), 1);
  EXPECT_TRUE(ime_service_resting(service.peer));
  EXPECT_TRUE(gone_.empty());
}

// Traditional output with a hung converter: the sentence keeps its simplified text.
TEST_F(ServiceFallbackTest, ATraditionalSentenceKeepsItsSimplifiedTextWhenTheConverterHangs) {
  StoppedService stopped("KEPCCServerPort");
  ASSERT_TRUE(stopped.serving());
  ime_query_result_t result{};
  result.type = IME_RESULT_SENTENCE;
  const std::string simplified = "我们的头发";
  std::memcpy(result.hz, simplified.data(), simplified.size());
  result.hlen = static_cast<std::uint8_t>(simplified.size());
  ime_defer_traditional(&result);
  const auto asked = Clock::now();
  ime_make_traditional(&result);
  EXPECT_LT(Clock::now() - asked, 2s);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(result.thz), result.thlen), simplified);
  EXPECT_FALSE(ime_traditional_deferred(result));
}

// The matcher asks the sentence service only while it is not resting, and a request that spent
// the whole bound on failing rests it as a time-out does.
TEST_F(ServiceFallbackTest, TheSentenceServiceIsNotInUseWhileItRests) {
  platform::plist::Dictionary settings;
  settings.set("EnableTAV", platform::plist::Value(true));
  const platform::plist::Dictionary* saved = kIMEConfigureDictionary;
  kIMEConfigureDictionary = &settings;
  ime_full_convert = 1;
  EXPECT_TRUE(ime_sentence_service_in_use());
  ime_sentence_service_answered(false, std::chrono::milliseconds(ime_sentence_timeout_ms / 2));
  EXPECT_TRUE(ime_sentence_service_in_use()) << "a quick refusal rests nothing";
  ime_sentence_service_answered(false, std::chrono::milliseconds(ime_sentence_timeout_ms));
  EXPECT_FALSE(ime_sentence_service_in_use());
  test_now += IME_SERVICE_REST;
  EXPECT_TRUE(ime_sentence_service_in_use());
  ime_full_convert = 0;
  kIMEConfigureDictionary = saved;
}

}  // namespace
