#include "celldict/updater/updater_controller.h"

#include "celldict/updater/check_schedule.h"
#include "tools/kep-httpd/test_server.h"
#include "updater_test_support.h"

namespace {

using namespace updater_test;
using kep_httpd::TestHttpServer;
using kepcelldictupdater::KepCellDictUpdaterController;
using kepcelldictupdater::Seconds;
using kepcelldictupdater::UpdaterSettings;

constexpr std::int64_t kInstalled = 1262304000;  // 2010-01-01 08:00:00 in China
constexpr std::int64_t kRenewed = 1293840000;    // 2011-01-01 08:00:00 in China
constexpr const char* kQueryLine = "GET /dict/upt_cell_dict.php?id=4|id=1234|id=567\tKEP_UPDATER";

// The controller on a loop of the test's thread, with the service at a kep-httpd.
class ControllerTest : public ::testing::Test {
 protected:
  ControllerTest() : server_("") {}

  void SetUp() override {
    std::error_code error;
    center_ = platform::notify::DistributedCenter::create(loop_, error);
    ASSERT_TRUE(center_) << error.message();
    center_->add_observer("DARUZ_DICT_UPDATED", std::string("IMKKEP"),
                          [this](const platform::notify::Notification&) { ++announced_; });
  }
  void TearDown() override { controller_.reset(); }

  UpdaterSettings quick_settings() const {
    UpdaterSettings settings;
    settings.service_url = server_.url("");
    settings.first_delay = Seconds(0);
    settings.wait_step = Seconds(0.02);
    settings.wait_steps = 10;
    settings.notice_time = Seconds(0.3);
    settings.notice_fade = Seconds(0.1);
    settings.connect_timeout = Seconds(5);
    settings.transfer_timeout = Seconds(20);
    return settings;
  }
  void start(UpdaterSettings settings) {
    KepCellDictUpdaterController::Host host{loop_, windows_, nullptr,
                                            [this](int status) { exit_status_ = status; }, nullptr};
    controller_ = std::make_unique<KepCellDictUpdaterController>(host, std::move(settings));
    ASSERT_TRUE(controller_->awakeFromNib(center_.get())) << log_.all();
  }
  void start() { start(quick_settings()); }
  // Runs the loop until `condition` holds; false after 30 s.
  bool run_until(const std::function<bool()>& condition) {
    return eventually([&] {
      loop_.run_for(std::chrono::milliseconds(10));
      return condition();
    });
  }
  void post(const char* name) {
    std::error_code error;
    ASSERT_TRUE(platform::notify::post_distributed({name, "KEP_CELL_DICT_UPDATER"}, error)) << error.message();
  }
  void install_three() {
    install(session_.dictionaries(), "1234.scel", "1234", std::to_string(kInstalled));
    install(session_.dictionaries(), "4.scel", "4", std::to_string(kInstalled));
    install(session_.dictionaries(), "567.scel", "567", std::to_string(kInstalled));
  }
  // A reply naming a renewed 1234 (and, when asked, 4) served with its cell dictionary.
  void serve_renewed(bool with_notice_uid = false) {
    write_cell_dict(server_.folder() / "1234", cell_dict("1234", kRenewed));
    write_cell_dict(server_.folder() / "4", cell_dict("4", kRenewed, {"新词", "样例"}));
    std::string reply = "1234|2011-01-01 08:00:00|" + server_.url("/1234.scel") + "\\n";
    if (with_notice_uid) reply += "4|2011-01-01 08:00:00|" + server_.url("/4.scel") + "\\n";
    server_.set_rules("/dict/upt_cell_dict.php length " + reply + "\n/1234.scel length @1234\n/4.scel length @4\n");
  }
  std::optional<std::int64_t> last_check() const { return integer_of(session_.read_defaults(), "LAST_CHECK"); }
  bool requested(const std::string& line) const {
    for (const std::string& request : server_.requests()) {
      if (request == line) return true;
    }
    return false;
  }

  Session session_;
  LogLines log_;
  TestHttpServer server_;
  platform::RunLoop loop_;
  platform::ui::WindowRegistry windows_;
  std::unique_ptr<platform::notify::DistributedCenter> center_;
  std::unique_ptr<KepCellDictUpdaterController> controller_;
  int announced_ = 0;
  std::optional<int> exit_status_;
};

TEST_F(ControllerTest, TheQueryNamesEachInstalledUidAndAnEmptyReplyIsRecorded) {
  install_three();
  server_.set_rules("/dict/upt_cell_dict.php length\n");
  const std::int64_t before = std::time(nullptr);
  start();
  ASSERT_TRUE(run_until([&] { return controller_->completed_checks() == 1; })) << log_.all();
  EXPECT_EQ(server_.requests(), (std::vector<std::string>{kQueryLine}));
  ASSERT_TRUE(last_check());
  // The time the check was decided on, at the thread's start.
  EXPECT_GE(*last_check(), before);
  EXPECT_LE(*last_check(), std::time(nullptr));
  EXPECT_EQ(announced_, 0);
}

TEST_F(ControllerTest, ANewerVersionIsStagedCompleteAndAnnounced) {
  install_three();
  serve_renewed();
  start();
  ASSERT_TRUE(run_until([&] { return announced_ == 1 && controller_->completed_checks() == 1; })) << log_.all();
  const fs::path staged = session_.dictionaries() / "__new__1234.scel";
  EXPECT_EQ(read_file(staged / "version.info"), std::to_string(kRenewed));
  EXPECT_EQ(read_file(staged / "uid.info"), "1234");
  EXPECT_TRUE(fs::exists(staged / "dict.db"));
  EXPECT_FALSE(fs::exists(session_.dictionaries() / ".1234.scel"));
  EXPECT_EQ(read_file(session_.dictionaries() / "1234.scel" / "version.info"), std::to_string(kInstalled));
  EXPECT_EQ(server_.requests(), (std::vector<std::string>{kQueryLine, "GET /1234.scel\tKEP_UPDATER"}));
  EXPECT_TRUE(log_.has("Downloaded from '" + server_.url("/1234.scel") + "'. UID=1234 VER=2011-01-01 08:00:00"));
  // Only the uid-4 dictionary has its words shown.
  EXPECT_FALSE(session_.window_state("update").contains("visible") &&
               session_.window_state("update").find("visible")->bool_value() == true);
}

TEST_F(ControllerTest, AnEqualVersionDownloadsNothing) {
  install_three();
  server_.set_rules("/dict/upt_cell_dict.php length 1234|2010-01-01 08:00:00|" + server_.url("/1234.scel") +
                    "\n/1234.scel length never fetched\n");
  start();
  ASSERT_TRUE(run_until([&] { return announced_ == 1 && controller_->completed_checks() == 1; }));
  EXPECT_EQ(server_.requests(), (std::vector<std::string>{kQueryLine}));
  EXPECT_TRUE(log_.has("No need to update :[2010-01-01 08:00:00,2010-01-01 08:00:00]"));
  EXPECT_FALSE(fs::exists(session_.dictionaries() / "__new__1234.scel"));
}

TEST_F(ControllerTest, AnUpdateRequestDuringTheWaitChecksAtOnceAndIsAnnouncedTwice) {
  install_three();
  serve_renewed();
  // Checked a minute ago: nothing is due for a day.
  platform::plist::Dictionary defaults;
  defaults.set("LAST_CHECK", platform::plist::Value(static_cast<std::int64_t>(std::time(nullptr) - 60)));
  session_.write_defaults(defaults);
  UpdaterSettings settings = quick_settings();
  settings.wait_step = Seconds(1);
  settings.wait_steps = 3598;
  start(settings);
  // The checker is waiting: nothing was asked.
  loop_.run_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(server_.requests().empty());
  post("UPDATE");
  ASSERT_TRUE(run_until([&] { return announced_ == 2; })) << log_.all();
  EXPECT_TRUE(requested(kQueryLine));
  EXPECT_TRUE(log_.has("Receive Force Update message..."));
  EXPECT_TRUE(log_.has("Post force update done message..."));
  EXPECT_TRUE(fs::exists(session_.dictionaries() / "__new__1234.scel" / "dict.info"));
  EXPECT_TRUE(run_until([&] { return !controller_->force_update_requested(); }));
}

TEST_F(ControllerTest, WithoutCellDictionariesNothingIsAskedNorRecorded) {
  install(session_.dictionaries(), "mine", "1");  // not a cell dictionary's folder
  server_.set_rules("/dict/upt_cell_dict.php length\n");
  start();
  post("UPDATE");
  // Only the requested check's own announcement.
  ASSERT_TRUE(run_until([&] { return announced_ == 1; }));
  loop_.run_for(std::chrono::milliseconds(200));
  EXPECT_EQ(announced_, 1);
  EXPECT_TRUE(server_.requests().empty());
  EXPECT_FALSE(last_check());
}

TEST_F(ControllerTest, AnHtmlPageIsNotRecordedAsACheck) {
  install_three();
  server_.set_rules("/dict/upt_cell_dict.php length <HTML><title>Sign in</title></HTML>\n");
  start();
  ASSERT_TRUE(run_until([&] { return log_.has("============== END =============="); })) << log_.all();
  EXPECT_TRUE(log_.has("Response from server failed!"));
  EXPECT_TRUE(log_.has("<HTML><title>Sign in</title></HTML>"));
  EXPECT_FALSE(last_check());
  EXPECT_EQ(announced_, 0);
  EXPECT_EQ(controller_->completed_checks(), 0);
}

TEST_F(ControllerTest, AServiceThatNeverAnswersTimesOutAndTheCheckIsRecorded) {
  install_three();
  server_.set_rules("/dict/upt_cell_dict.php never\n");
  UpdaterSettings settings = quick_settings();
  settings.transfer_timeout = Seconds(1);
  start(settings);
  ASSERT_TRUE(run_until([&] { return controller_->completed_checks() == 1; })) << log_.all();
  EXPECT_TRUE(last_check());
  EXPECT_EQ(announced_, 0);
  EXPECT_TRUE(log_.has("timed out")) << log_.all();
}

TEST_F(ControllerTest, TheRenewedNoticeDictionaryShowsItsWordsThenFades) {
  install_three();
  serve_renewed(/*with_notice_uid=*/true);
  start();
  auto state = [&] { return session_.window_state("update"); };
  auto visible = [&] {
    const platform::plist::Dictionary now = state();
    const platform::plist::Value* shown = now.find("visible");
    return shown != nullptr && shown->bool_value() == true;
  };
  ASSERT_TRUE(run_until(visible)) << log_.all();
  const platform::plist::Dictionary shown = state();
  const platform::plist::Dictionary* frame = shown.find("frame")->as_dictionary();
  // The default screen is 1440 wide with its visible frame from y = 0.
  EXPECT_EQ(frame->find("x")->real_value(), 1440 - frame->find("width")->real_value().value() - 20);
  EXPECT_EQ(frame->find("y")->real_value(), 20);
  EXPECT_NE(platform::plist::to_xml(shown).find("<string>新词\n样例</string>"), std::string::npos)
      << platform::plist::to_xml(shown);
  // Faded in, then after the notice time out and off the screen.
  bool opaque_seen = false;
  ASSERT_TRUE(run_until([&] {
    const platform::plist::Dictionary now = state();
    const platform::plist::Value* alpha = now.find("alpha");
    opaque_seen = opaque_seen || (alpha != nullptr && alpha->real_value() == 1.0);
    return opaque_seen && !visible();
  }));
  const platform::plist::Dictionary faded = state();
  ASSERT_NE(faded.find("alpha"), nullptr);
  EXPECT_EQ(faded.find("alpha")->real_value(), 0.0);
  EXPECT_EQ(announced_, 1);
}

TEST_F(ControllerTest, UsersWhoHideTheNoticeGetOnlyTheAnnouncement) {
  install_three();
  serve_renewed(/*with_notice_uid=*/true);
  platform::plist::Dictionary settings;
  settings.set("HideDaruzUpdateWindow", true);
  std::error_code error;
  ASSERT_TRUE(platform::plist::save_atomic(session_.data_folder() / "imkkep.plist", settings, error));
  start();
  ASSERT_TRUE(run_until([&] { return announced_ == 1 && controller_->completed_checks() == 1; }));
  loop_.run_for(std::chrono::milliseconds(200));
  const platform::plist::Dictionary state = session_.window_state("update");
  const platform::plist::Value* shown = state.find("visible");
  EXPECT_TRUE(shown == nullptr || shown->bool_value() == false);
  EXPECT_TRUE(fs::exists(session_.dictionaries() / "__new__4.scel" / "dict.info"));
}

TEST_F(ControllerTest, ShutdownEndsTheProcessWithItsStatus) {
  install_three();
  server_.set_rules("/dict/upt_cell_dict.php length\n");
  start();
  post("SHUTDOWN");
  ASSERT_TRUE(run_until([&] { return exit_status_.has_value(); }));
  EXPECT_EQ(*exit_status_, 273);
  EXPECT_TRUE(log_.has("Receive shutdown notification...."));
}

TEST_F(ControllerTest, AnUpdateRequestSetsTheForceFlagUntilACheckTakesIt) {
  KepCellDictUpdaterController::Host host{loop_, windows_, nullptr, nullptr, nullptr};
  KepCellDictUpdaterController idle(host, quick_settings());
  EXPECT_FALSE(idle.force_update_requested());
  idle.updateNow();
  EXPECT_TRUE(idle.force_update_requested());
  idle.updateNow();
  EXPECT_TRUE(idle.force_update_requested());
}

TEST(CheckSchedule, DueOnRequestWithoutARecordOrAfterTheInterval) {
  using kepcelldictupdater::check_due;
  constexpr std::int64_t now = 1'700'000'000;
  struct Case {
    bool requested;
    std::optional<std::int64_t> last;
    bool due;
  } cases[] = {
      {false, std::nullopt, true},  {true, now, true},           {false, now - 86400, false},
      {false, now - 86401, true},   {false, now - 60, false},    {false, now + 3600, true},
      {false, now, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(check_due(c.requested, c.last, now, 86400), c.due)
        << c.requested << " " << (c.last ? now - *c.last : -1);
  }
}

}  // namespace
