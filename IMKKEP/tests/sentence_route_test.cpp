// The sentence a user commits, by the road it takes in the staged system: the server program
// with the settings it ships starts the sentence service and commits the service's sentence;
// with the service hung it commits the sentence its engine composes on its own, and a service
// that was killed is started again.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "keyroad_fixture.h"
#include "platform/imk/client.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "staged_client.h"

namespace keyroad_test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kTyped = "zhegemingling<space>";
// The four syllables as the engine asks the service for them.
constexpr const char* kRequest = "zhe_ge_ming_ling";
constexpr const char* kServiceSentence = "这个命令";
constexpr const char* kServiceProgram = "IMKKEPSentenceParser";
constexpr const char* kServicePort = "KEPCPServerPort";

const fs::path kServerProgram =
    fs::path(KEP_STAGED_ROOT) / "Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";

using staged_client::Document;
using staged_client::eventually;

// The staged server program, run for a new user with a runtime folder of its own: nothing it
// does meets the engine of the test's own process, which keeps the fixture's.
class StagedServer {
 public:
  ~StagedServer() { stop(); }

  // Starts the program and connects an application to it, activated.
  bool start() {
    Within scope(*this);
    std::error_code error;
    pid_ = platform::process::launch(kServerProgram, {kServerProgram.string()}, error);
    if (!pid_) return false;
    platform::imk::ClientInfo info;
    info.bundle_identifier = "com.example.editor";
    info.supports_unicode = true;
    if (!eventually([&] {
          connection_ = platform::imk::Connection::connect("KEPInputConnectionName", info, error);
          return connection_ != nullptr;
        })) {
      return false;
    }
    context_ = connection_->create_context(document_);
    return context_ != 0 && connection_->activate(context_, false);
  }

  // Whether the sentence service answers a conversion, once it has started.
  bool service_answers() {
    Within scope(*this);
    return eventually([] {
      std::error_code error;
      std::optional<platform::ports::RemotePort> port =
          platform::ports::RemotePort::open(kServicePort, error);
      return port &&
             port->send(100, kRequest, 60s, 60s).status == platform::ports::SendStatus::Success;
    });
  }

  std::vector<pid_t> services() {
    Within scope(*this);
    return platform::process::find_running_in_session(kServiceProgram);
  }

  // Sends `signal` to the sentence service: SIGSTOP hangs it.
  bool signal_service(int signal) {
    const std::vector<pid_t> running = services();
    if (running.empty()) return false;
    for (pid_t pid : running) {
      std::error_code error;
      if (!platform::process::send_signal(pid, signal, error)) return false;
    }
    return true;
  }

  // Ends the sentence service as a crash would, and waits until that process is gone (the
  // server may start another meanwhile).
  bool kill_service() {
    const std::vector<pid_t> running = services();
    if (!signal_service(SIGKILL)) return false;
    return eventually([&] {
      const std::vector<pid_t> now = services();
      return std::none_of(running.begin(), running.end(), [&](pid_t pid) {
        return std::find(now.begin(), now.end(), pid) != now.end();
      });
    });
  }

  // The texts the keys of `script` made the server insert.
  std::vector<std::string> type(std::string_view script) {
    return staged_client::type(*connection_, context_, document_, script);
  }

  // The application leaves and comes back, as at a switch between applications.
  bool reactivate() {
    return connection_->deactivate(context_, platform::imk::DeactivationReason::FocusMoved) &&
           connection_->activate(context_, false);
  }

 private:
  // The server's user and runtime folder, for the calls that find its programs and ports.
  class Within {
   public:
    explicit Within(const StagedServer& server)
        : home_("HOME", server.home_.path().string()),
          runtime_("KEP_RUNTIME_DIR", server.runtime_.path().string()) {}

   private:
    engine_test::ScopedEnv home_;
    engine_test::ScopedEnv runtime_;
  };

  void stop() {
    connection_.reset();
    if (!pid_) return;
    Within scope(*this);
    // The companions it started, found before it ends and they are no longer its children.
    std::vector<pid_t> started =
        platform::process::find_with_environment("KEP_RUNTIME_DIR", runtime_.path().string());
    std::error_code ignored;
    for (pid_t pid : started) platform::process::send_signal(pid, SIGTERM, ignored);
    if (!platform::process::wait_for_exit(*pid_, 60s)) {
      platform::process::send_signal(*pid_, SIGKILL, ignored);
      platform::process::wait_for_exit(*pid_, 60s);
    }
    // A companion the server started again before it ended is ended too.
    eventually(
        [&] {
          std::vector<pid_t> left = platform::process::find_with_environment(
              "KEP_RUNTIME_DIR", runtime_.path().string());
          for (pid_t pid : left) platform::process::send_signal(pid, SIGTERM, ignored);
          return left.empty();
        },
        30s);
    pid_.reset();
  }

  engine_test::TempDir home_;
  engine_test::TempDir runtime_;
  std::optional<pid_t> pid_;
  std::unique_ptr<platform::imk::Connection> connection_;
  Document document_;
  std::uint32_t context_ = 0;
};

class SentenceRouteTest : public KeyRoadTest {};

TEST_F(SentenceRouteTest, TheShippedSettingsCommitTheSentenceServicesSentence) {
  StagedServer server;
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(server.service_answers()) << "the server did not start the sentence service";
  EXPECT_EQ(server.services().size(), 1u);
  EXPECT_EQ(server.type(kTyped), std::vector<std::string>{kServiceSentence});
}

TEST_F(SentenceRouteTest, WithTheServiceHungTheEnginesOwnSentenceIsCommitted) {
  // The engine's own sentence: this process's engine, with no service in reach.
  FakeClient local;
  imkkep::KEPInputController& controller = open(local);
  type(controller, local, kTyped);
  ASSERT_EQ(local.inserted().size(), 1u);
  const std::string own = local.inserted()[0];
  ASSERT_NE(own, kServiceSentence) << "the two roads could not be told apart";

  StagedServer server;
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(server.service_answers());
  // Hung, it costs the first key a short wait and is then left alone.
  ASSERT_TRUE(server.signal_service(SIGSTOP));
  EXPECT_EQ(server.type(kTyped), std::vector<std::string>{own});

  // Killed, it is started again.
  ASSERT_TRUE(server.kill_service());
  ASSERT_TRUE(server.reactivate());
  EXPECT_TRUE(server.service_answers());
}

}  // namespace
}  // namespace keyroad_test
