// The client library starts the server from its bundle when nobody serves the name.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/imk/tests/imk_test_support.h"
#include "platform/plist.h"
#include "platform/process.h"

namespace platform::imk {
namespace {

using namespace std::chrono_literals;
using testing_support::RecordingDocument;
namespace fs = std::filesystem;

// A root prefix holding one input-method bundle whose program is the test server.
class RootWithServerBundle {
 public:
  RootWithServerBundle() : env_("KEP_ROOT", root_.path().string()) {
    files::reset_root_cache();
    Bundle::reset_cache();
    fs::path contents = root_.path() / "Library/Input Methods/TestIM.app/Contents";
    fs::create_directories(contents / "MacOS");
    fs::copy_file(KEP_IMK_TEST_SERVER, contents / "MacOS" / "TestIMServer");
    plist::Dictionary info;
    info.set("CFBundleIdentifier", "com.example.test-im");
    info.set("CFBundleExecutable", "TestIMServer");
    std::error_code error;
    saved_ = plist::save_atomic(contents / "Info.plist", info, error);
  }
  ~RootWithServerBundle() {
    for (pid_t pid : process::find_running("TestIMServer")) {
      std::error_code error;
      process::send_signal(pid, SIGTERM, error);
      process::wait_for_exit(pid, 5s);
    }
    files::reset_root_cache();
    Bundle::reset_cache();
  }
  bool saved() const { return saved_; }

 private:
  platform::testing_support::TempDir root_;
  platform::testing_support::ScopedEnv env_;
  bool saved_ = false;
};

TEST(StartServerTest, ANameNobodyServesStartsTheServerOfTheBundle) {
  platform::testing_support::PrivateRuntimeDir runtime;
  RootWithServerBundle root;
  ASSERT_TRUE(root.saved());

  std::error_code error;
  EXPECT_FALSE(Connection::connect(testing_support::kTestConnectionName,
                                   testing_support::terminal_info(), error));
  EXPECT_EQ(error, std::errc::connection_refused);

  Connection::Options options;
  options.start_server = true;
  options.server_bundle_identifier = "com.example.test-im";
  options.start_timeout = 10s;
  auto connection = Connection::connect(testing_support::kTestConnectionName,
                                        testing_support::terminal_info(), options, error);
  ASSERT_TRUE(connection) << error.message();
  RecordingDocument document;
  std::uint32_t context = connection->create_context(document);
  ASSERT_NE(context, 0u);
  EXPECT_EQ(connection->key_down(context, *key_for_character('a')), true);
  ASSERT_EQ(document.writes.size(), 1u);
  EXPECT_EQ(document.writes[0].text, "a");
  EXPECT_EQ(process::find_running("TestIMServer").size(), 1u);
}

}  // namespace
}  // namespace platform::imk
