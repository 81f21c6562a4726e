// The compiler's behaviour around its files: what a failure leaves, rebuilding over a table,
// what it reports on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreSource/dict/plugfmt.h"
#include "codetable_fixture.h"

namespace {

using codetable_test::build_table;
using codetable_test::folder_names;
using codetable_test::read_file;
using codetable_test::ScratchDir;
using codetable_test::write_file;

class Recorder : public codetable::BuildObserver {
 public:
  void status(std::string_view key) override { statuses.emplace_back(key); }
  void set_progress_max(long long max) override { progress_max = max; }
  void increment_progress(long long by) override { progress += by; }
  void set_progress(long long value) override { progress = value; }
  void stop() override { ++stops; }
  void log(std::string_view line) override { logs.emplace_back(line); }
  void report(std::string_view text) override { reports.emplace_back(text); }

  std::vector<std::string> statuses;
  std::vector<std::string> logs;
  std::vector<std::string> reports;
  long long progress_max = 0;
  long long progress = 0;
  int stops = 0;
};

class EachVersion : public testing::TestWithParam<int> {
 protected:
  // Builds `source` into table `name` of `dir` in the version under test.
  int build(const ScratchDir& dir, const std::string& source, const std::string& name,
            Recorder* recorder, std::string* error) const {
    return GetParam() == 10
               ? codetable::BuildCMPHPlug(source, name, dir.path().string(), recorder, error)
               : codetable::BuildSQLPlug(source, name, dir.path().string(), recorder, error);
  }
};

// A rebuild that fails leaves the table as it was: the old data beside its own old index, and
// no temporary file.
TEST_P(EachVersion, FailedRebuildKeepsTheOldPair) {
  ScratchDir dir;
  ASSERT_EQ(build_table(dir, "t", "a x\nb y\n", GetParam()), "");
  const std::string data = read_file(dir / "t.qdb");
  const std::string index = read_file(dir / "t.idx");

  const std::string error = build_table(dir, "t", "c z\n" + std::string(64, 'k') + " v\n", GetParam());
  EXPECT_NE(error.find("longer than 63 bytes (line 2)"), std::string::npos) << error;
  EXPECT_EQ(read_file(dir / "t.qdb"), data);
  EXPECT_EQ(read_file(dir / "t.idx"), index);
  EXPECT_EQ(folder_names(dir.path()), (std::vector<std::string>{"t.idx", "t.qdb"}));
}

// Building under an existing name replaces both files.
TEST_P(EachVersion, RebuildReplacesDataAndIndex) {
  ScratchDir dir;
  ASSERT_EQ(build_table(dir, "t", "a x\nb y\n", GetParam()), "");
  const std::string old_index = read_file(dir / "t.idx");
  ASSERT_EQ(build_table(dir, "t", "c z\nd w\ne v\n", GetParam()), "");
  EXPECT_NE(read_file(dir / "t.qdb").find("\x01" "c\x00\x01z", 0, 5), std::string::npos);
  EXPECT_NE(read_file(dir / "t.idx"), old_index);
  EXPECT_EQ(folder_names(dir.path()), (std::vector<std::string>{"t.idx", "t.qdb"}));
}

TEST_P(EachVersion, ReportsStatusAndProgress) {
  ScratchDir dir;
  write_file(dir / "s.txt", "a x y\nb z\n");
  Recorder recorder;
  std::string error;
  ASSERT_EQ(build(dir, dir / "s.txt", "t", &recorder, &error), 0) << error;
  std::vector<std::string> expected = {codetable::kStatusTag, codetable::kStatusSort,
                                       codetable::kStatusGenKeys};
  if (GetParam() == 10) {
    expected.insert(expected.end(), {codetable::kStatusGenIdx, codetable::kStatusAppKeys, codetable::kStatusDone});
  }
  EXPECT_EQ(recorder.statuses, expected);
  EXPECT_EQ(recorder.progress_max, 3 + 30);
  EXPECT_EQ(recorder.progress, 3 + 10);
  EXPECT_EQ(recorder.stops, 1);
  EXPECT_EQ(recorder.logs.front(), "MaxRow=3");
}

TEST_P(EachVersion, RefusesWhatCannotBecomeATable) {
  ScratchDir dir;
  Recorder recorder;
  std::string error;
  auto build = [&](const std::string& source, const std::string& name) {
    error.clear();
    return EachVersion::build(dir, source, name, &recorder, &error);
  };
  EXPECT_EQ(build(dir / "missing.txt", "t"), -1);
  EXPECT_EQ(error, "Source file '" + (dir / "missing.txt") + "' not exists!");

  // A source without a single code fails with a text that says so.
  write_file(dir / "comments.txt", "# only\n# comments\nlonely\n");
  EXPECT_EQ(build(dir / "comments.txt", "t"), -1);
  EXPECT_EQ(error, "Source file '" + (dir / "comments.txt") + "' holds no codes.");

  write_file(dir / "good.txt", "a x\n");
  EXPECT_EQ(build(dir / "good.txt", "../escape"), -1);
  EXPECT_NE(error.find("cannot name a file"), std::string::npos);
  EXPECT_EQ(recorder.stops, 3);
  EXPECT_EQ(folder_names(dir.path()), (std::vector<std::string>{"comments.txt", "good.txt"}));
}

// One text longer than a candidate shows costs its own pair, not the table: the others are
// built, numbered as if it had never been there, and the build says what it left out.
TEST_P(EachVersion, OverlongTextIsSkippedAndReported) {
  ScratchDir dir;
  write_file(dir / "s.txt", "a x\nb " + std::string(300, 't') + " y\nc z\n");
  Recorder recorder;
  std::string error;
  ASSERT_EQ(build(dir, dir / "s.txt", "t", &recorder, &error), 0) << error;
  EXPECT_EQ(recorder.reports, std::vector<std::string>{"Skipped 1 text longer than 179 bytes (line 2)."});
  EXPECT_EQ(recorder.logs.front(), "MaxRow=3");

  std::string records;
  ime_plug_append_header(&records, GetParam() == 10 ? IME_PLUG_VERSION_CMPH : IME_PLUG_VERSION_SQL);
  ime_plug_append_record(&records, "a", "x", 3);
  ime_plug_append_record(&records, "b", "y", 2);
  ime_plug_append_record(&records, "c", "z", 1);
  records.push_back(static_cast<char>(GetParam() == 10 ? IME_PLUG_CMPH_END_MARK : IME_PLUG_SQL_END_MARK));
  EXPECT_EQ(read_file(dir / "t.qdb").substr(0, records.size()), records);
}

// A stop asked for at any step ends the build with its text and leaves the installed table as
// it was, without a temporary file.
TEST_P(EachVersion, StopAtAnyStepKeepsTheOldTable) {
  ScratchDir dir;
  ASSERT_EQ(build_table(dir, "t", "a x\n", GetParam()), "");
  const std::string data = read_file(dir / "t.qdb");
  write_file(dir / "s.txt", "b y\nc z\n");
  for (int asked = 0; asked < 3; ++asked) {
    struct Stopper : Recorder {
      int answer_true_at = 0;
      int asked = 0;
      bool stop_requested() override { return asked++ == answer_true_at; }
    } stopper;
    stopper.answer_true_at = asked;
    std::string error;
    EXPECT_EQ(build(dir, dir / "s.txt", "t", &stopper, &error), -1) << asked;
    EXPECT_EQ(error, codetable::kStoppedText);
    EXPECT_EQ(stopper.stops, 1);
    EXPECT_EQ(read_file(dir / "t.qdb"), data);
    EXPECT_EQ(folder_names(dir.path()), (std::vector<std::string>{"s.txt", "t.idx", "t.qdb"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, EachVersion, testing::Values(20, 10),
                         [](const testing::TestParamInfo<int>& info) {
                           return "version" + std::to_string(info.param);
                         });

// A code with a single quote stops a version-20 build where the index always refused it,
// before any file is touched; version 10 has no SQL and takes it.
TEST(CodeTableBuild, QuotedCodeStopsOnlyTheSqlIndex) {
  ScratchDir dir;
  const std::string error = build_table(dir, "t", "a x\nit's y\n", 20);
  EXPECT_EQ(error.rfind("Insert 'it's' to plug index failed![", 0), 0u) << error;
  EXPECT_TRUE(folder_names(dir.path()).empty());
  EXPECT_EQ(build_table(dir, "t", "a x\nit's y\n", 10), "");
}

// A code a version-10 index keeps for a first byte cannot also be a code of the table.
TEST(CodeTableBuild, FirstByteKeyCollisionRefusedInVersion10) {
  ScratchDir dir;
  EXPECT_NE(build_table(dir, "t", "a x\n!!a y\n", 10).find("reserved by the index"), std::string::npos);
  EXPECT_EQ(build_table(dir, "t", "a x\n!!a y\n", 20), "");
}

}  // namespace
