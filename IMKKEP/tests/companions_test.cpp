// The companion programs: which the server starts and when, how a launch finds its program,
// that a running program is never started twice, that one which is gone is started again,
// and the cell-dictionary updater's shutdown.
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/services/ccclient.h"
#include "CoreSource/services/sentence_client.h"
#include "CoreSource/services/service_peer.h"
#include "CoreSource/tests/engine_test_support.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/tests/companions_fixture.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "IMKKEP/tests/keyroad_fixture.h"
#include "IMKKEP/tests/workspace_requests.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "platform/plist.h"
#include "platform/process.h"
#include "platform/runloop.h"

namespace {

namespace fs = std::filesystem;
using companions_test::launched_names;
using host_test::ServerLogCapture;
using Names = std::vector<std::string>;

void write_settings(const fs::path& data_folder, const platform::plist::Dictionary& settings) {
  fs::create_directories(data_folder);
  std::error_code error;
  ASSERT_TRUE(platform::plist::save_atomic(data_folder / "imkkep.plist",
                                          platform::plist::Value(settings), error))
      << error.message();
}

platform::plist::Dictionary settings_with(const char* key, bool value) {
  platform::plist::Dictionary settings;
  settings.set(key, platform::plist::Value(value));
  return settings;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether `condition` comes to hold within a bound generous for a loaded machine.
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return true;
}

// The processes this one started that have not been reaped, ended ones included.
std::vector<pid_t> children() {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string text;
    if (!std::getline(stat, text)) continue;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    const std::size_t name_end = text.rfind(')');
    if (name_end == std::string::npos) continue;
    std::istringstream rest(text.substr(name_end + 1));
    std::string state;
    pid_t parent = 0;
    if (rest >> state >> parent && parent == ::getpid()) found.push_back(std::stoi(text));
  }
  return found;
}

// Ends the processes, each within a bound.
void terminate(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) {
    std::error_code ignored;
    platform::process::send_signal(pid, SIGTERM, ignored);
    platform::process::wait_for_exit(pid, std::chrono::seconds(5));
  }
}

// The stub companion copied as program `name` of the folder the server launches from.
fs::path install_stub(const fs::path& shared_support, const std::string& name) {
  fs::path folder = shared_support / (name + ".app") / "Contents" / "MacOS";
  fs::create_directories(folder);
  fs::copy_file(KEP_COMPANION_STUB, folder / name, fs::copy_options::overwrite_existing);
  return folder / name;
}

// A root that is the staged one, except that the sentence engine's libraries are installed or
// not as the test wants.
class CompanionStartup : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    companions_test::clear();
    for (const auto& entry : fs::directory_iterator(fs::path(KEP_STAGED_ROOT) / "Library")) {
      if (entry.path().filename() == "TAV") continue;
      fs::create_directories(root_ / "Library");
      fs::create_directory_symlink(entry.path(), root_ / "Library" / entry.path().filename());
    }
    if (GetParam()) {
      for (const char* folder : {"cz", "main", "mpp", "py"}) {
        fs::create_directories(root_ / "Library/TAV" / folder);
      }
    }
    engine_test::reset_engine_caches();
    platform::files::reset_root_cache();
    platform::Bundle::reset_cache();
    ASSERT_EQ(imkkep::KEPSetEngineResources(), 0);
  }
  void TearDown() override {
    imkkep::IMEExit();
    engine_test::reset_engine_caches();
    platform::files::reset_root_cache();
    platform::Bundle::reset_cache();
  }

  engine_test::TempDir home_;
  engine_test::TempDir root_;
  engine_test::ScopedEnv home_env_{"HOME", home_.path().string()};
  engine_test::ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  engine_test::TempDir runtime_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  ServerLogCapture log_;
};

TEST_P(CompanionStartup, StartsTheWindowAndTheConverterAndTheSentenceServiceWhenInstalled) {
  // The updater has a test of its own: here it is switched off and not running.
  write_settings(home_.path() / "Library/KEP", settings_with("DaruzDictAutoUpdate", false));
  ASSERT_EQ(imkkep::IMEInit(), 0);

  Names expected = {"IMKKEPCandidateWindow", "IMKKEPSimp2TradConverter"};
  if (GetParam()) expected.push_back("IMKKEPSentenceParser");
  EXPECT_EQ(launched_names(), expected);
  const fs::path shared_support =
      root_.path() / "Library/Input Methods/IMKKEP.app/Contents/SharedSupport";
  ASSERT_FALSE(companions_test::launches().empty());
  EXPECT_EQ(companions_test::launches()[0].program,
            shared_support / "IMKKEPCandidateWindow.app/Contents/MacOS/IMKKEPCandidateWindow");
  EXPECT_FALSE(companions_test::launches()[0].to_front);

  // Every reload looks after the sentence service again; the others stay as they were.
  companions_test::launches().clear();
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(launched_names(), GetParam() ? Names{"IMKKEPSentenceParser"} : Names{});
}

TEST_P(CompanionStartup, AGoneSentenceServiceIsStartedAgainOnlyWhereItsLibrariesAreInstalled) {
  EXPECT_EQ(imkkep::KEPCompanionGone("IMKKEPSentenceParser.app"), GetParam());
  EXPECT_EQ(launched_names(), GetParam() ? Names{"IMKKEPSentenceParser"} : Names{});
}

INSTANTIATE_TEST_SUITE_P(SentenceEngine, CompanionStartup, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Installed" : "Missing"; });

// The real launcher, on a root whose server bundle has no Info.plist: the installed bundle's
// SharedSupport under the root is used.
class CompanionLauncher : public ::testing::Test {
 protected:
  void SetUp() override {
    imkkep::KEPSetCompanionLauncher(nullptr);
    platform::files::reset_root_cache();
    platform::Bundle::reset_cache();
  }
  void TearDown() override {
    terminate(platform::process::find_running(name_));
    companions_test::clear();
    platform::files::reset_root_cache();
    platform::Bundle::reset_cache();
  }

  engine_test::TempDir root_;
  engine_test::TempDir runtime_;
  engine_test::ScopedEnv root_env_{"KEP_ROOT", root_.path().string()};
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  fs::path shared_support_ = root_.path() / "Library/Input Methods/IMKKEP.app/Contents/SharedSupport";
  // Unique per test process, so tests running side by side never see each other's copy.
  std::string name_ = "KepStub" + std::to_string(::getpid());
  ServerLogCapture log_;
};

TEST_F(CompanionLauncher, StartsAProgramOnceAndBringsItForwardWhenAskedAgain) {
  install_stub(shared_support_, name_);
  EXPECT_EQ(imkkep::KEPSharedSupportPath(), shared_support_);
  ASSERT_EQ(imkkep::KEPLaunchApp(name_ + ".app"), 0);
  ASSERT_TRUE(eventually([&] { return imkkep::IsRunningApp(name_); }));

  // A launch forks before it returns: a second copy would be a child at once, however slowly
  // it then starts.
  const std::vector<pid_t> before = children();
  EXPECT_EQ(imkkep::KEPLaunchApp(name_ + ".app"), 0);
  EXPECT_EQ(imkkep::KEPLaunchApp2(name_), 0);
  EXPECT_EQ(children(), before);
  EXPECT_EQ(platform::process::find_running(name_).size(), 1u);
  EXPECT_TRUE(ServerLogCapture::logged("Bring " + name_ + " to the front."));
  EXPECT_EQ(server_test::workspace_requests(),
            (std::vector<std::vector<std::string>>{{"activate-application", name_}}));
}

TEST_F(CompanionLauncher, AMissingProgramFailsWithTheSystemsReasonLoggedOnce) {
  ServerLogCapture::lines().clear();
  imkkep::_log_flag = 0;  // the failure is logged whatever the flag
  EXPECT_EQ(imkkep::KEPLaunchApp("KepMissingProgram.app"), ENOENT);
  EXPECT_EQ(imkkep::KEPLaunchApp("KepMissingProgram.app"), ENOENT);
  const auto failures = std::count_if(
      ServerLogCapture::lines().begin(), ServerLogCapture::lines().end(),
      [](const std::string& line) { return line.find("cannot be launched") != std::string::npos; });
  EXPECT_EQ(failures, 1);
}

TEST_F(CompanionLauncher, NamesThatAreNotPlainProgramNamesAreRefused) {
  for (const char* name : {"", ".app", "../KepStub.app", "Sub/KepStub.app", ".hidden.app", ".."}) {
    EXPECT_EQ(imkkep::KEPLaunchApp(name), -2) << '"' << name << '"';
  }
}

TEST_F(CompanionLauncher, AnUpdaterThatCannotBeStartedIsAnnouncedOnceNotAtEveryReload) {
  platform::plist::Dictionary settings = settings_with("DaruzDictAutoUpdate", true);
  const platform::plist::Dictionary* saved = kIMEConfigureDictionary;
  kIMEConfigureDictionary = &settings;
  imkkep::_log_flag = 0;
  ServerLogCapture::lines().clear();
  for (int reload = 0; reload < 3; ++reload) imkkep::KEPCheckCellDictUpdater(/*at_startup=*/false);
  kIMEConfigureDictionary = saved;
  auto count = [](const std::string& text) {
    return std::count_if(ServerLogCapture::lines().begin(), ServerLogCapture::lines().end(),
                         [&](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  EXPECT_EQ(count("Launching KepCellDictUpdater.app..."), 1);
  EXPECT_EQ(count("cannot be launched"), 1);
}

// The real launcher on a root holding stub companions, in a runtime folder of the test's own:
// the companions this process launched and that end are started again.
class LaunchedCompanions : public CompanionLauncher {
 protected:
  void TearDown() override {
    terminate(converters());
    CompanionLauncher::TearDown();
  }
  static std::vector<pid_t> converters() {
    return platform::process::find_running_in_session(kConverter);
  }

  static constexpr const char* kConverter = "IMKKEPSimp2TradConverter";
};

TEST_F(LaunchedCompanions, AServiceThatEndsIsStartedAgainAndOtherProgramsAreNot) {
  install_stub(shared_support_, kConverter);
  install_stub(shared_support_, name_);
  ASSERT_EQ(imkkep::KEPLaunchApp(std::string(kConverter) + ".app"), 0);
  ASSERT_EQ(imkkep::KEPLaunchApp(name_ + ".app"), 0);
  std::vector<pid_t> first;
  ASSERT_TRUE(eventually([&] {
    first = converters();
    return first.size() == 1 && imkkep::IsRunningApp(name_);
  }));
  imkkep::KEPCheckLaunchedCompanions();
  EXPECT_EQ(converters(), first) << "a companion that runs is left alone";

  std::error_code error;
  for (pid_t pid : {first[0], platform::process::find_running_in_session(name_).at(0)}) {
    ASSERT_TRUE(platform::process::send_signal(pid, SIGKILL, error)) << error.message();
  }
  ASSERT_TRUE(eventually([&] {
    imkkep::KEPCheckLaunchedCompanions();
    const std::vector<pid_t> now = converters();
    return now.size() == 1 && now[0] != first[0];
  })) << "the converter was not started again";
  EXPECT_TRUE(ServerLogCapture::logged(std::string(kConverter) + " had stopped; started it again."));
  // Only the companions the server keeps running come back (a program such as the preferences
  // ends when the user closes it), and one started again is not started a second time.
  const std::vector<pid_t> before = children();
  imkkep::KEPCheckLaunchedCompanions();
  EXPECT_EQ(children(), before);
  EXPECT_FALSE(imkkep::IsRunningApp(name_));
}

// Services the engine finds unserved, with the staged root: the recorder stands in for the
// launcher, and nothing of that name runs in the test's own runtime folder.
class CompanionRestart : public host_test::ServerHome {
 protected:
  void SetUp() override {
    companions_test::clear();
    host_test::ServerHome::SetUp();
    ime_service_forget(&ime_converter_service);
    ime_service_forget(&ime_sentence_service);
  }
  void TearDown() override {
    ime_service_forget(&ime_converter_service);
    ime_service_forget(&ime_sentence_service);
    host_test::ServerHome::TearDown();
  }

  engine_test::TempDir runtime_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
};

TEST_F(CompanionRestart, AGoneServiceIsStartedAgainOnceWithinTheIntervalAndLogged) {
  for (const std::string program : {"IMKKEPSimp2TradConverter", "IMKKEPSentenceParser"}) {
    SCOPED_TRACE(program);
    companions_test::launches().clear();
    ServerLogCapture::lines().clear();
    EXPECT_TRUE(imkkep::KEPCompanionGone(program + ".app"));
    EXPECT_FALSE(imkkep::KEPCompanionGone(program + ".app")) << "started twice within the interval";
    EXPECT_EQ(launched_names(), Names{program});
    EXPECT_TRUE(ServerLogCapture::logged(program + " had stopped; started it again."));
  }
}

TEST_F(CompanionRestart, ACompanionStartedAgainByAnyPathIsLoggedButNotAProgramThatEndsByDesign) {
  // The sentence service is asked for at every reload: the second start means the first ended.
  ServerLogCapture::lines().clear();
  imkkep::KEPLaunchApp("IMKKEPSentenceParser.app");
  EXPECT_FALSE(ServerLogCapture::logged("IMKKEPSentenceParser had stopped; started it again."));
  imkkep::KEPLaunchApp("IMKKEPSentenceParser.app");
  EXPECT_TRUE(ServerLogCapture::logged("IMKKEPSentenceParser had stopped; started it again."));
  // The preferences end when the user closes them; opening them again is no restart.
  ServerLogCapture::lines().clear();
  imkkep::KEPLaunchApp2("IMKKEPPreferences.app");
  imkkep::KEPLaunchApp2("IMKKEPPreferences.app");
  EXPECT_FALSE(ServerLogCapture::logged("IMKKEPPreferences had stopped; started it again."));
  EXPECT_EQ(launched_names(),
            (Names{"IMKKEPSentenceParser", "IMKKEPSentenceParser", "IMKKEPPreferences",
                   "IMKKEPPreferences"}));
}

TEST_F(CompanionRestart, TheEngineTellsTheServerOfAServiceNobodyServes) {
  platform::RunLoop loop;
  ASSERT_TRUE(imkkep::KEPAppDelegate::shared().registerObservers(loop));
  std::string converted;
  EXPECT_EQ(QAConvertChinese("头发", std::strlen("头发"), &converted), -2);
  std::string sentence;
  std::string marks;
  EXPECT_EQ(QAConvertStream("zhong_guo", &sentence, &marks), -1);
  imkkep::KEPAppDelegate::shared().unregisterObservers();
  EXPECT_EQ(launched_names(), (Names{"IMKKEPSimp2TradConverter", "IMKKEPSentenceParser"}));

  // Without the server's observers the engine tells nobody.
  companions_test::clear();
  EXPECT_EQ(QAConvertChinese("头发", std::strlen("头发"), &converted), -2);
  EXPECT_EQ(launched_names(), Names{});
}

// The updater follows its setting at start-up: launched when wanted and not running; asked to
// shut down when not wanted and running.
class CellDictUpdater : public host_test::ServerHome {
 protected:
  void SetUp() override {
    companions_test::clear();
    host_test::ServerHome::SetUp();
  }
  void TearDown() override {
    if (stub_ > 0) {
      std::error_code ignored;
      platform::process::send_signal(stub_, SIGTERM, ignored);
      platform::process::wait_for_exit(stub_, std::chrono::seconds(5));
    }
    host_test::ServerHome::TearDown();
  }

  engine_test::TempDir runtime_;
  engine_test::TempDir programs_;
  engine_test::ScopedEnv runtime_env_{"KEP_RUNTIME_DIR", runtime_.path().string()};
  engine_test::ScopedEnv stub_log_env_{"KEP_STUB_LOG", (programs_.path() / "stub.log").string()};
  pid_t stub_ = 0;
};

TEST_F(CellDictUpdater, IsLaunchedWhenWantedAndAskedToShutDownWhenNot) {
  // Nobody else runs a program of that name while this test does.
  ASSERT_FALSE(imkkep::IsRunningApp("KepCellDictUpdater"));
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_FALSE(launched_names().empty());
  EXPECT_EQ(launched_names().front(), "KepCellDictUpdater");
  imkkep::IMEExit();

  // Switched off while it runs: start-up tells it to end, and starts no other copy.
  companions_test::launches().clear();
  std::error_code error;
  auto pid = platform::process::launch(install_stub(programs_.path(), "KepCellDictUpdater"), {},
                                       error);
  ASSERT_TRUE(pid) << error.message();
  stub_ = *pid;
  const fs::path stub_log = programs_.path() / "stub.log";
  ASSERT_TRUE(eventually([&] { return read_text(stub_log).starts_with("started"); }));
  write_settings(data_folder(), settings_with("DaruzDictAutoUpdate", false));
  ASSERT_EQ(imkkep::IMEInit(), 0);

  EXPECT_TRUE(ServerLogCapture::logged("Shutdown KepCellDictUpdater.app..."));
  std::optional<int> status = platform::process::wait_for_exit(stub_, std::chrono::seconds(60));
  ASSERT_TRUE(status) << "the updater did not end";
  stub_ = 0;
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  EXPECT_NE(read_text(stub_log).find("shutdown"), std::string::npos);
  // The staged root ships the sentence service's libraries, so start-up looks after it too.
  EXPECT_EQ(launched_names(), (Names{"IMKKEPCandidateWindow", "IMKKEPSimp2TradConverter",
                                     "IMKKEPSentenceParser"}));
}

TEST_F(CellDictUpdater, AReloadLogsItsDecisionWhateverTheLogSetting) {
  write_settings(data_folder(), settings_with("DaruzDictAutoUpdate", false));
  ASSERT_EQ(imkkep::IMEInit(), 0);
  ASSERT_EQ(imkkep::IMEReload(), 0);
  companions_test::launches().clear();
  ServerLogCapture::lines().clear();

  // The settings change on disk: the next reload launches the updater and says so. The file
  // is dated later than the one loaded, however quickly it was rewritten.
  const fs::path settings_file = data_folder() / "imkkep.plist";
  const fs::file_time_type loaded = fs::last_write_time(settings_file);
  write_settings(data_folder(), settings_with("DaruzDictAutoUpdate", true));
  fs::last_write_time(settings_file, loaded + std::chrono::seconds(2));
  imkkep::_log_flag = 0;
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(launched_names(), (Names{"KepCellDictUpdater", "IMKKEPSentenceParser"}));
  EXPECT_TRUE(ServerLogCapture::logged("Launching KepCellDictUpdater.app..."));
}

class SoftwareUpdater : public keyroad_test::KeyRoadTest {};

TEST_F(SoftwareUpdater, EachActivationLaunchesItWhenAutomaticUpdatesAreOn) {
  for (bool on : {true, false}) {
    companions_test::clear();
    set_setting("AutoUpdate", platform::plist::Value(on));
    keyroad_test::FakeClient client;
    open(client);
    const Names names = launched_names();
    const bool launched = std::find(names.begin(), names.end(), "KEPUpdater") != names.end();
    EXPECT_EQ(launched, on) << "AutoUpdate " << on;
  }
}

}  // namespace
