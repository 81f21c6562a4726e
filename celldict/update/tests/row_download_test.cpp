// One row of the pane's update sheet: the download told as bar commands, the checks of what
// arrived, the rebuild into the staging folder, and a stop at any stage leaving nothing.
#include "celldict/update/row_download.h"

#include <algorithm>
#include <chrono>

#include "celldict/tests/recording_reporter.h"
#include "tools/kep-httpd/test_server.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using namespace std::chrono_literals;
using celldict::kProgressDeterminate;
using celldict::kProgressHide;
using celldict::kProgressIndeterminate;
using celldict::kProgressSetValue;
using celldict::update::RowOutcome;
using celldict::update::run_update_row;
using celldict::update::TransferLimits;
using celldict::update::UpdateRow;
using kep_httpd::TestHttpServer;
using progress_test::command;
using progress_test::Heard;
using progress_test::RecordingReporter;
using progress_test::status;

constexpr std::int32_t kNewVersion = 1293840000;
const std::string kMagicOnly("\x08\0\0\0\x44\x43\x53\x01", 8);

std::size_t index_of(const std::vector<Heard>& heard, const Heard& wanted) {
  return static_cast<std::size_t>(std::find(heard.begin(), heard.end(), wanted) - heard.begin());
}

class RowDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installed_ = install(dictionaries(), "words.scel", "1234");
    installed_files_ = read_file(installed_ / "dict.info") + read_file(installed_ / "version.info");
    write_file(server_.folder() / "good", good_);
    write_file(server_.folder() / "eight", kMagicOnly);
    // Magic and padding, sent 1024 bytes at a time every 100 ms: over 6 s unless stopped.
    write_file(server_.folder() / "slow", kMagicOnly + std::string(64 * 1024, 'x'));
  }
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  RowOutcome run(const std::string& path, RecordingReporter& reporter) {
    TransferLimits limits;
    limits.connect_timeout = 5s;
    limits.total_timeout = 60s;
    limits.max_body_bytes = 1 << 20;
    const std::string url = path.find("://") == std::string::npos ? server_.url(path) : path;
    return run_update_row(UpdateRow{"1234", "2011-01-01 08:00:00", url, installed_}, dictionaries(),
                          reporter, limits);
  }
  // Nothing but the installed folder, as it was, and no temporary file.
  void expect_nothing_left(const std::string& context) const {
    EXPECT_TRUE(fs::is_empty(temporaries_.path())) << context;
    EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"words.scel"}) << context;
    EXPECT_EQ(read_file(installed_ / "dict.info") + read_file(installed_ / "version.info"), installed_files_)
        << context;
  }

  TempDir scratch_;
  LogLines log_;
  const std::string good_ = cell_dict_bytes(cell_dict("1234", kNewVersion));
  TestHttpServer server_{
      "/good.scel length @good\n"
      "/chunked.scel chunked @good\n"
      "/seven.scel length 1234567\n"
      "/eight.scel length @eight\n"
      "/wrong.scel length 0123456789abcdef\n"
      "/missing.scel status 404 gone\n"
      "/slow.scel slow 100 @slow\n"};
  fs::path installed_;
  std::string installed_files_;
  // After the server, whose own folder stays in the system's temporary folder.
  TempDir temporaries_;
  engine_test::ScopedEnv tmpdir_{"TMPDIR", temporaries_.path().string()};
};

TEST_F(RowDownloadTest, ASuccessStagesACompleteFolderAndTellsEachStage) {
  RecordingReporter reporter;
  ASSERT_EQ(run("/good.scel", reporter), RowOutcome::Staged) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"__new__words.scel", "words.scel"}));
  EXPECT_EQ(read_file(dictionaries() / "__new__words.scel" / "version.info"), std::to_string(kNewVersion));
  EXPECT_NE(read_file(dictionaries() / "__new__words.scel" / "dict.info").find("TOTAL_COUNT\t2\n"),
            std::string::npos);

  const std::vector<Heard> heard = reporter.heard();
  const auto size = static_cast<std::int64_t>(good_.size());
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.front(), status("DOWNLOAD_DARUZ_DICT"));
  EXPECT_EQ(heard.back(), command(kProgressHide, 0)) << reporter.trace();
  // The size once known, all of it received, indeterminate, then the rebuild.
  const std::size_t sized = index_of(heard, command(kProgressDeterminate, size));
  const std::size_t arrived = index_of(heard, command(kProgressSetValue, size));
  const std::size_t whole = index_of(heard, command(kProgressIndeterminate, 0));
  const std::size_t rebuild = index_of(heard, status("BUILD_PROCESS"));
  EXPECT_LT(sized, arrived) << reporter.trace();
  EXPECT_EQ(whole, arrived + 1) << reporter.trace();
  EXPECT_LT(whole, rebuild) << reporter.trace();
  EXPECT_LT(rebuild, index_of(heard, status("BUILD_PREPROCESS"))) << reporter.trace();
  EXPECT_LT(index_of(heard, status("DARUZ_DICT_IMPORT_DONE")), heard.size()) << reporter.trace();
  EXPECT_EQ(server_.requests().back(), "GET /good.scel\tKEP_UPDATER");
  EXPECT_TRUE(fs::is_empty(temporaries_.path()));
}

TEST_F(RowDownloadTest, WithoutALengthTheBarStaysIndeterminateUntilTheRebuild) {
  RecordingReporter reporter;
  ASSERT_EQ(run("/chunked.scel", reporter), RowOutcome::Staged) << log_.all();
  const std::vector<Heard> heard = reporter.heard();
  const std::size_t rebuild = index_of(heard, status("BUILD_PROCESS"));
  ASSERT_LT(rebuild, heard.size());
  EXPECT_EQ(rebuild, 1u) << reporter.trace();  // right after DOWNLOAD_DARUZ_DICT
}

TEST_F(RowDownloadTest, ABadDownloadFailsAndTouchesNothing) {
  struct Case {
    const char* path;
    RowOutcome outcome;
    const char* status;
  } cases[] = {
      {"/seven.scel", RowOutcome::DownloadFailed, "DARUZ_DICT_DOWNLOAD_FAILED"},
      {"/wrong.scel", RowOutcome::DownloadFailed, "DARUZ_DICT_DOWNLOAD_FAILED"},
      {"/missing.scel", RowOutcome::DownloadFailed, "DARUZ_DICT_DOWNLOAD_FAILED"},
      {"ftp://127.0.0.1/good.scel", RowOutcome::DownloadFailed, "DARUZ_DICT_DOWNLOAD_FAILED"},
      {"/eight.scel", RowOutcome::LoadFailed, "SOGOUD_DICT_LOAD_FAILED"},
  };
  for (const Case& c : cases) {
    RecordingReporter reporter;
    EXPECT_EQ(run(c.path, reporter), c.outcome) << c.path << "\n" << log_.all();
    EXPECT_EQ(reporter.statuses().back(), c.status) << c.path;
    EXPECT_TRUE(reporter.values_of(kProgressHide).empty()) << c.path;
    expect_nothing_left(c.path);
  }
}

TEST_F(RowDownloadTest, AStopDuringASlowBodyEndsTheTransferAndStagesNothing) {
  RecordingReporter reporter;
  // Stops once the first piece has arrived.
  reporter.stop_when([](const std::vector<Heard>& heard) {
    return std::any_of(heard.begin(), heard.end(), [](const Heard& h) {
      return !h.is_status && h.command == kProgressSetValue && h.value > 0;
    });
  });
  EXPECT_EQ(run("/slow.scel", reporter), RowOutcome::Stopped) << log_.all();
  const std::vector<std::int64_t> received = reporter.values_of(kProgressSetValue);
  ASSERT_FALSE(received.empty());
  EXPECT_LT(received.back(), static_cast<std::int64_t>(kMagicOnly.size() + 64 * 1024));
  EXPECT_TRUE(log_.has("User stopped.")) << log_.all();
  EXPECT_EQ(reporter.statuses(), std::vector<std::string>{"DOWNLOAD_DARUZ_DICT"});
  expect_nothing_left("stopped download");
}

TEST_F(RowDownloadTest, AStopDuringTheRebuildLeavesNoStagingFolderNorLock) {
  for (const char* when : {"BUILD_PREPROCESS", "BUILD_PROCESS"}) {
    RecordingReporter reporter;
    reporter.stop_when([when](const std::vector<Heard>& heard) {
      return !heard.empty() && heard.back().is_status && heard.back().status == when;
    });
    EXPECT_EQ(run("/good.scel", reporter), RowOutcome::Stopped) << when << "\n" << log_.all();
    expect_nothing_left(when);
  }
}

}  // namespace
