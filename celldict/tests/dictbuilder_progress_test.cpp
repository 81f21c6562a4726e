// The builder watched by a progress reporter: what it is told, how often, and that a stop at
// any point leaves the folder as it was.
#include <map>

#include "celldict/dictbuilder.h"
#include "dict_fixture.h"
#include "recording_reporter.h"

namespace {

namespace fs = std::filesystem;
using namespace progress_test;
using celldict::kProgressAddValue;
using celldict::kProgressDeterminate;
using celldict::kProgressIndeterminate;

// `count` valid word-list lines, five words over and over.
std::vector<std::string> word_lines(int count) {
  static const char* const kWords[] = {"zhong'guo 中国", "bei'jing 北京", "shang'hai 上海",
                                       "guang'zhou 广州", "fa'hui 发挥"};
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back(std::string(kWords[i % 5]) + " * " + std::to_string(i));
  return lines;
}

struct Watched {
  int result = -1;
  std::string message;
  ime_build_stats_t stats;
};

Watched build_watched(const fs::path& folder, const std::vector<std::string>& lines,
                      RecordingReporter* reporter) {
  fs::create_directories(folder);
  const fs::path list = folder.parent_path() / "words";
  dict_fixture::write_word_list(list, lines);
  Watched watched;
  char message[512] = "untouched";
  watched.result = ime_build_dict_reporting(list.c_str(), folder.c_str(), "1234", message,
                                            &watched.stats, reporter);
  watched.message = message;
  return watched;
}

// Every file below the folder (hidden ones too) with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] =
        entry.is_regular_file() ? dict_fixture::read_text(entry.path()) : "(folder)";
  }
  return files;
}

// The reports of a whole build of `records` records, `step` apart.
std::vector<Heard> expected_reports(int records, int step) {
  std::vector<Heard> reports = {status("BUILD_PROCESS"), command(kProgressIndeterminate, 0)};
  for (int done = step; done <= records; done += step) {
    reports.push_back(command(kProgressDeterminate, 0));
    reports.push_back(command(kProgressAddValue, step));
  }
  reports.push_back(command(kProgressIndeterminate, 0));
  reports.push_back(status("DARUZ_DICT_IMPORT_DONE"));
  return reports;
}

class DictBuilderProgress : public ::testing::Test {
 protected:
  dict_fixture::BuildTextsGuard guard_;
  engine_test::TempDir temp_;
};

TEST_F(DictBuilderProgress, RecordsAreReportedAHundredTimesBetweenTheStatuses) {
  RecordingReporter reporter;
  const Watched watched = build_watched(temp_ / "big", word_lines(1050), &reporter);
  ASSERT_EQ(watched.result, 0) << watched.message;
  EXPECT_EQ(watched.stats.records, 1050u);
  // A step of 10: 105 reports; the last record of a step closes it.
  EXPECT_EQ(reporter.heard(), expected_reports(1050, 10)) << reporter.trace();
  // Asked after each line of both passes, before the sort and before the description files.
  EXPECT_EQ(reporter.polls(), 2 * 1050 + 2);
}

TEST_F(DictBuilderProgress, FewerThanAHundredLinesReportEveryRecord) {
  RecordingReporter reporter;
  ASSERT_EQ(build_watched(temp_ / "small", word_lines(3), &reporter).result, 0);
  EXPECT_EQ(reporter.heard(), expected_reports(3, 1)) << reporter.trace();
}

TEST_F(DictBuilderProgress, TheStepIsAHundredthOfTheLinesReadRejectedOnesIncluded) {
  std::vector<std::string> lines = word_lines(150);
  for (int i = 0; i < 50; ++i) lines.push_back("bad'py 不是");  // no final code: rejected
  RecordingReporter reporter;
  const Watched watched = build_watched(temp_ / "mixed", lines, &reporter);
  ASSERT_EQ(watched.result, 0) << watched.message;
  EXPECT_EQ(watched.stats.rejected, 50u);
  // 200 lines give a step of 2 over the 150 records.
  EXPECT_EQ(reporter.values_of(kProgressAddValue), std::vector<std::int64_t>(75, 2));
}

TEST_F(DictBuilderProgress, AStopAtAnyPointFailsAndLeavesTheEarlierBuildAsItWas) {
  const fs::path folder = temp_ / "kept";
  ASSERT_EQ(build_watched(folder, {"ni'hao 你好"}, nullptr).result, 0);
  const auto before = snapshot(folder);
  const std::vector<std::string> lines = word_lines(6);
  // Six lines: polls 1-6 in the first pass, 7 before the sort, 8-13 in the second pass and 14
  // before the description files.
  for (int poll = 1; poll <= 14; ++poll) {
    RecordingReporter reporter;
    reporter.stop_at_poll(poll);
    const Watched watched = build_watched(folder, lines, &reporter);
    EXPECT_EQ(watched.result, -1) << "stopped at poll " << poll;
    EXPECT_TRUE(watched.stats.stopped) << poll;
    EXPECT_EQ(watched.message, "Stopped.") << poll;
    EXPECT_EQ(reporter.polls(), poll) << "nothing is asked after the stop was heard";
    EXPECT_EQ(snapshot(folder), before) << "stopped at poll " << poll;
    const std::vector<std::string> statuses = reporter.statuses();
    EXPECT_EQ(statuses, std::vector<std::string>{"BUILD_PROCESS"}) << poll;
  }
}

TEST_F(DictBuilderProgress, AWatchedBuildListensToItsReporterNotToTheProcessWideFlag) {
  stopFlag = 1;
  RecordingReporter reporter;
  const Watched watched = build_watched(temp_ / "flag", word_lines(4), &reporter);
  ASSERT_EQ(watched.result, 0) << watched.message;
  EXPECT_EQ(watched.stats.records, 4u);
}

}  // namespace
