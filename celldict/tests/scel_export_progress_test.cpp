// The export watched by a progress reporter: the words reported as they are decoded, then the
// builder's reports, and a stop at any point that builds nothing.
#include "celldict/dictbuilder.h"
#include "dict_fixture.h"
#include "recording_reporter.h"
#include "scel_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace progress_test;
using namespace scel_fixture;
using celldict::kProgressAddValue;
using celldict::kProgressDeterminate;
using celldict::kProgressIndeterminate;
using celldict::kProgressSetValue;

// `count` words in five groups of the same pinyin.
scel::WriterContents many_words(int count) {
  static const scel::WriterWord kWords[] = {{{"zhong", "guo"}, "中国", 9},
                                            {{"bei", "jing"}, "北京", 8},
                                            {{"shang", "hai"}, "上海", 7},
                                            {{"guang", "zhou"}, "广州", 6},
                                            {{"fa", "hui"}, "发挥", 5}};
  scel::WriterContents c = contents();
  c.words.clear();
  for (int i = 0; i < count; ++i) c.words.push_back(kWords[i % 5]);
  return c;
}

class ScelExportProgress : public ::testing::Test {
 protected:
  // Loads the file and exports it as Dictionary/<name> with the reporter.
  int export_watched(const std::string& name, const std::string& bytes, RecordingReporter* reporter,
                     ScelExportStats* stats) {
    const fs::path path = write(home_.files() / name, bytes);
    ScelReader reader;
    EXPECT_EQ(reader.load(path), SCEL_OK);
    return reader.exportTo(path, stats, reporter);
  }

  dict_fixture::BuildTextsGuard texts_guard_;
  ScelHome home_;
};

TEST_F(ScelExportProgress, WordsAreReportedAHundredTimesThenTheBuildAddsItsRecords) {
  RecordingReporter reporter;
  ScelExportStats stats;
  ASSERT_EQ(export_watched("big.scel", file_bytes(many_words(1000)), &reporter, &stats), 0);
  EXPECT_FALSE(stats.stopped);
  EXPECT_EQ(stats.records, 1000u);

  // The bar runs to twice the word count: the words, then the builder's records.
  std::vector<Heard> expected = {command(kProgressDeterminate, 2000), status("BUILD_PREPROCESS")};
  for (int words = 10; words <= 1000; words += 10) expected.push_back(command(kProgressSetValue, words));
  expected.push_back(status("BUILD_PROCESS"));
  expected.push_back(command(kProgressIndeterminate, 0));
  for (int records = 10; records <= 1000; records += 10) {
    expected.push_back(command(kProgressDeterminate, 0));
    expected.push_back(command(kProgressAddValue, 10));
  }
  expected.push_back(command(kProgressIndeterminate, 0));
  expected.push_back(status("DARUZ_DICT_IMPORT_DONE"));
  EXPECT_EQ(reporter.heard(), expected) << reporter.trace();
  // Five groups: before and after each, before each word; then the builder's 2 * 1000 + 2.
  EXPECT_EQ(reporter.polls(), 5 + 1000 + 5 + 2 * 1000 + 2);
  EXPECT_TRUE(fs::exists(home_.dictionaries() / "big.scel" / "dict.info"));
}

TEST_F(ScelExportProgress, FewerThanAHundredWordsReportEveryWord) {
  RecordingReporter reporter;
  ASSERT_EQ(export_watched("small.scel", file_bytes(contents()), &reporter, nullptr), 0);
  EXPECT_EQ(reporter.values_of(kProgressSetValue), (std::vector<std::int64_t>{1, 2, 3, 4}));
  EXPECT_EQ(reporter.values_of(kProgressAddValue), (std::vector<std::int64_t>{1, 1, 1, 1}));
}

TEST_F(ScelExportProgress, AStopAtAnyPointBuildsNothingAndIsNoFailure) {
  // Four words in four groups: 4 + 4 + 4 polls while decoding, 2 * 4 + 2 while building.
  constexpr int kPolls = 22;
  {
    RecordingReporter whole;
    ASSERT_EQ(export_watched("whole.scel", file_bytes(contents()), &whole, nullptr), 0);
    ASSERT_EQ(whole.polls(), kPolls);
  }
  for (int poll = 1; poll <= kPolls; ++poll) {
    RecordingReporter reporter;
    reporter.stop_at_poll(poll);
    ScelExportStats stats;
    EXPECT_EQ(export_watched("stopped.scel", file_bytes(contents()), &reporter, &stats), 0) << poll;
    EXPECT_TRUE(stats.stopped) << poll;
    EXPECT_EQ(reporter.polls(), poll) << "nothing is asked after the stop was heard";
    EXPECT_FALSE(fs::exists(home_.dictionaries() / "stopped.scel")) << "stopped at poll " << poll;
    EXPECT_TRUE(home_.temporaries().empty()) << poll;
    const std::vector<std::string> statuses = reporter.statuses();
    EXPECT_TRUE(std::find(statuses.begin(), statuses.end(), "DARUZ_DICT_IMPORT_DONE") == statuses.end());
  }
}

TEST_F(ScelExportProgress, AStoppedExportIntoAGivenFolderLeavesItEmpty) {
  const fs::path folder = home_.home() / "private";
  fs::create_directories(folder);
  const fs::path path = write(home_.files() / "given.scel", file_bytes(contents()));
  for (int poll : {1, 13, 22}) {  // decoding, the builder's first line, its last poll
    ScelReader reader;
    ASSERT_EQ(reader.load(path), SCEL_OK);
    RecordingReporter reporter;
    reporter.stop_at_poll(poll);
    ScelExportStats stats;
    EXPECT_EQ(reader.exportToFolder(folder.string(), &stats, &reporter), 0);
    EXPECT_TRUE(stats.stopped);
    EXPECT_TRUE(fs::is_empty(folder)) << poll;
  }
}

}  // namespace
