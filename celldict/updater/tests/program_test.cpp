// The staged program in a process of its own, as the server starts it.
#include <signal.h>
#include <sys/wait.h>

#include "platform/notify.h"
#include "platform/process.h"
#include "platform/runloop.h"
#include "tools/kep-httpd/test_server.h"
#include "updater_test_support.h"

namespace {

using namespace updater_test;
using kep_httpd::TestHttpServer;

constexpr std::int64_t kInstalled = 1262304000;
constexpr std::int64_t kRenewed = 1293840000;

class ProgramTest : public ::testing::Test {
 protected:
  ~ProgramTest() override {
    if (pid_) {
      std::error_code ignored;
      platform::process::send_signal(*pid_, SIGKILL, ignored);
      platform::process::wait_for_exit(*pid_, std::chrono::seconds(20));
    }
  }

  // The user defaults the program reads: the test's service and short waits.
  void configure(const std::string& service, platform::plist::Dictionary extra = {}) {
    platform::plist::Dictionary defaults;
    defaults.set("KEPCellDictUpdateURL", service);
    defaults.set("KEPCellDictFirstDelay", 0.0);
    defaults.set("KEPCellDictWaitStep", 0.05);
    defaults.set("KEPCellDictNoticeTime", 0.2);
    defaults.set("KEPCellDictNoticeFade", 0.1);
    for (const auto& [key, value] : extra.entries()) defaults.set(key, value);
    session_.write_defaults(defaults);
  }
  void launch(const fs::path& program = fs::path(KEP_UPDATER_BUNDLE) / "Contents/MacOS/KepCellDictUpdater") {
    std::error_code error;
    pid_ = platform::process::launch(program, {}, error);
    ASSERT_TRUE(pid_) << error.message();
  }
  // The status the program ended with, as its parent sees it; nullopt when it still runs.
  std::optional<int> wait_for_exit(std::chrono::seconds bound = 30s) {
    std::optional<int> status = platform::process::wait_for_exit(*pid_, bound);
    if (status) pid_.reset();
    return status;
  }
  bool requested(const TestHttpServer& server, const std::string& line) const {
    for (const std::string& request : server.requests()) {
      if (request == line) return true;
    }
    return false;
  }

  Session session_;
  std::optional<pid_t> pid_;
};

TEST_F(ProgramTest, AnUpdateRequestRenewsADictionaryAndIsAnnouncedTwice) {
  install(session_.dictionaries(), "1234.scel", "1234", std::to_string(kInstalled));
  TestHttpServer server("");
  write_cell_dict(server.folder() / "1234", cell_dict("1234", kRenewed));
  server.set_rules("/dict/upt_cell_dict.php length 1234|2011-01-01 08:00:00|" + server.url("/1234.scel") +
                   "\n/1234.scel length @1234\n");
  platform::plist::Dictionary waits;
  // Checked a minute ago, so only the request makes it ask.
  waits.set("LAST_CHECK", platform::plist::Value(static_cast<std::int64_t>(std::time(nullptr) - 60)));
  waits.set("KEPCellDictWaitStep", 1.0);
  waits.set("KEPCellDictWaitSteps", 3598);
  configure(server.url(""), waits);

  platform::RunLoop loop;
  std::error_code error;
  auto center = platform::notify::DistributedCenter::create(loop, error);
  ASSERT_TRUE(center) << error.message();
  int announced = 0;
  center->add_observer("DARUZ_DICT_UPDATED", std::string("IMKKEP"),
                       [&](const platform::notify::Notification&) { ++announced; });
  launch();
  // The program observes once its notification socket is there (the test's own is one).
  auto sockets = [&] {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(session_.scratch() / "run")) {
      count += entry.path().extension() == ".notify";
    }
    return count;
  };
  ASSERT_TRUE(eventually([&] { return sockets() >= 2; }));
  ASSERT_TRUE(platform::notify::post_distributed({"UPDATE", "KEP_CELL_DICT_UPDATER"}, error));
  ASSERT_TRUE(eventually([&] {
    loop.run_for(std::chrono::milliseconds(10));
    return announced == 2;
  })) << announced;
  EXPECT_TRUE(requested(server, "GET /dict/upt_cell_dict.php?id=1234\tKEP_UPDATER"));
  EXPECT_TRUE(requested(server, "GET /1234.scel\tKEP_UPDATER"));
  const fs::path staged = session_.dictionaries() / "__new__1234.scel";
  EXPECT_EQ(read_file(staged / "version.info"), std::to_string(kRenewed));
  EXPECT_TRUE(fs::exists(staged / "dict_idx.db"));
  EXPECT_FALSE(fs::exists(session_.dictionaries() / ".1234.scel"));
  // The program keeps running until told otherwise.
  EXPECT_FALSE(wait_for_exit(0s));
}

TEST_F(ProgramTest, ShutdownDuringADownloadEndsTheProgramWithStatus17) {
  install(session_.dictionaries(), "1234.scel", "1234", std::to_string(kInstalled));
  TestHttpServer server("");
  write_file(server.folder() / "big", cell_dict_bytes(cell_dict("1234", kRenewed)) + std::string(60 * 1024, 'x'));
  server.set_rules("/dict/upt_cell_dict.php length 1234|2011-01-01 08:00:00|" + server.url("/1234.scel") +
                   "\n/1234.scel slow 1000 @big\n");
  configure(server.url(""));
  launch();
  ASSERT_TRUE(eventually([&] { return requested(server, "GET /1234.scel\tKEP_UPDATER"); }));
  std::error_code error;
  ASSERT_TRUE(platform::notify::post_distributed({"SHUTDOWN", "KEP_CELL_DICT_UPDATER"}, error));
  const std::optional<int> status = wait_for_exit();
  ASSERT_TRUE(status);
  ASSERT_TRUE(WIFEXITED(*status)) << *status;
  EXPECT_EQ(WEXITSTATUS(*status), 17);
  EXPECT_EQ(names_in(session_.dictionaries()), (std::vector<std::string>{"1234.scel"}));
}

TEST_F(ProgramTest, PowerOffEndsTheProgramEvenWhileTheServiceNeverAnswers) {
  install(session_.dictionaries(), "1234.scel", "1234");
  TestHttpServer server("/dict/upt_cell_dict.php never\n");
  configure(server.url(""));
  launch();
  ASSERT_TRUE(eventually([&] { return !server.requests().empty(); }));
  std::error_code error;
  ASSERT_TRUE(platform::process::send_signal(*pid_, SIGTERM, error));
  const std::optional<int> status = wait_for_exit();
  ASSERT_TRUE(status);
  ASSERT_TRUE(WIFEXITED(*status)) << *status;
  EXPECT_EQ(WEXITSTATUS(*status), 0);
  EXPECT_FALSE(integer_of(session_.read_defaults(), "LAST_CHECK"));
}

TEST_F(ProgramTest, WithoutTheEngineTablesTheProgramAlertsAndEnds) {
  // A root with the program alone: no engine bundle, no pinyin.db.
  const fs::path root = session_.scratch() / "bare-root";
  const fs::path bundle =
      root / "Library/Input Methods/IMKKEP.app/Contents/SharedSupport/KepCellDictUpdater.app";
  fs::create_directories(bundle);
  fs::copy(KEP_UPDATER_BUNDLE, bundle, fs::copy_options::recursive);
  ScopedEnv bare_root("KEP_ROOT", root.string());
  configure("http://127.0.0.1:9");
  launch(bundle / "Contents/MacOS/KepCellDictUpdater");
  const std::optional<int> status = wait_for_exit();
  ASSERT_TRUE(status);
  ASSERT_TRUE(WIFEXITED(*status)) << *status;
  EXPECT_EQ(WEXITSTATUS(*status), 1);
  const std::string alert = platform::plist::to_xml(session_.window_state("alert"));
  EXPECT_NE(alert.find("ERROR"), std::string::npos) << alert;
  EXPECT_NE(alert.find("Load internal data failed!."), std::string::npos) << alert;
  EXPECT_NE(alert.find("Quit"), std::string::npos) << alert;
}

}  // namespace
