// Traditional output on the generated data, with the converter service running and stopped: the
// commits stay what the data and the service give, and a stopped service costs no waiting.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "CoreSource/tests/engine_test_support.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"
#include "session/key_script.h"
#include "session/typing_session.h"
#include "staged_engine_fixture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::string> commits(kep_session::TypingSession& session, const std::string& script) {
  std::string error;
  std::vector<std::string> texts;
  const std::vector<kep_session::Key> keys = kep_session::parse_key_script(script, &error).value();
  for (const kep_session::Key& key : keys) {
    kep_session::KeyOutcome outcome = session.type(key);
    texts.insert(texts.end(), outcome.commits.begin(), outcome.commits.end());
  }
  return texts;
}

// The converter program started for the test; stopped at the end even when the test fails.
class ConverterProcess {
 public:
  ConverterProcess() {
    std::error_code error;
    pid_ = platform::process::launch(KEP_CONVERTER_PROGRAM, {}, error);
  }
  ~ConverterProcess() { stop(); }
  bool wait_until_serving() {
    std::error_code error;
    for (int i = 0; i < 500 && pid_; ++i) {
      if (platform::ports::RemotePort::open("KEPCCServerPort", error)) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  bool stop() {
    if (!pid_) return true;
    std::error_code error;
    platform::process::send_signal(*pid_, SIGTERM, error);
    const bool ended = platform::process::wait_for_exit(*pid_, 5s).has_value();
    if (!ended) platform::process::send_signal(*pid_, SIGKILL, error);
    pid_.reset();
    return ended;
  }

 private:
  std::optional<pid_t> pid_;
};

// The service's port is looked for in a runtime folder of the test's own.
class TraditionalOutput : public StagedEngineTest {
 protected:
  platform::testing_support::PrivateRuntimeDir runtime_;
};

TEST_F(TraditionalOutput, CommitsTheSameWithTheConverterRunningAndStopped) {
  ConverterProcess converter;
  ASSERT_TRUE(converter.wait_until_serving());

  auto session = kep_session::TypingSession::open(true);
  ASSERT_TRUE(session);
  const std::vector<std::string> expected = {"國家", "頭髮", "我們是中國人"};
  EXPECT_EQ(commits(*session, "guojia<space>toufa<space>womenshizhongguoren<space>"), expected);

  ASSERT_TRUE(converter.stop());

  const auto started = Clock::now();
  EXPECT_EQ(commits(*session, "guojia<space>toufa<space>womenshizhongguoren<space>"), expected);
  EXPECT_LT(Clock::now() - started, 2s);
}

}  // namespace
