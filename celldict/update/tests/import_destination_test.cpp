// The staged import as the dictionary pane uses it: from a loaded reader, watched and
// stoppable, into the staging folder or straight into the installed folder, which is replaced
// only by a complete build; and the walk that finds the installed folder of a uid.
#include <map>

#include "celldict/scel_reader.h"
#include "celldict/tests/recording_reporter.h"
#include "celldict/update/staged_import.h"
#include "celldict/update/uid_scan.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using celldict::update::importDaruzCellFile;
using celldict::update::importLoadedCellDict;
using celldict::update::ImportOptions;
using celldict::update::ImportResult;
using celldict::update::installed_folder_with_uid;
using progress_test::RecordingReporter;
using Destination = ImportOptions::Destination;
using Status = ImportResult::Status;

constexpr std::int32_t kNewVersion = 1262304100;
// Two words in two groups: 2 + 2 + 2 polls while decoding, 2 * 2 + 2 while building.
constexpr int kPollsOfABuild = 12;

std::map<std::string, std::string> files_of(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? read_file(entry.path()) : "";
  }
  return files;
}

class ImportDestinationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install(dictionaries(), "words.scel", "1234");
    before_ = files_of(dictionaries() / "words.scel");
  }
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  fs::path cell_file(const std::string& bytes) {
    const fs::path path = scratch_.path() / ("file" + std::to_string(++files_) + ".scel");
    write_file(path, bytes);
    return path;
  }
  std::string good_bytes() const { return cell_dict_bytes(cell_dict("1234", kNewVersion)); }
  // The header loads, the body is cut short.
  std::string broken_bytes() const { return good_bytes().substr(0, 0x1540 + 6); }

  ImportResult import(const std::string& bytes, const std::string& name, Destination destination,
                      RecordingReporter* reporter = nullptr) {
    ScelReader reader;
    EXPECT_EQ(reader.load(cell_file(bytes).string()), SCEL_OK);
    ImportOptions options;
    options.destination = destination;
    options.reporter = reporter;
    return importLoadedCellDict(reader, dictionaries(), name, options);
  }
  void expect_installed_untouched(const std::string& context) const {
    EXPECT_EQ(files_of(dictionaries() / "words.scel"), before_) << context;
  }

  TempDir scratch_;
  LogLines log_;
  std::map<std::string, std::string> before_;
  int files_ = 0;
};

TEST_F(ImportDestinationTest, ANewDictionaryIsBuiltStraightIntoItsInstalledFolder) {
  RecordingReporter reporter;
  const ImportResult result = import(good_bytes(), "fresh.scel", Destination::Installed, &reporter);
  ASSERT_EQ(result.status, Status::Imported) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"fresh.scel", "words.scel"}));
  EXPECT_EQ(read_file(dictionaries() / "fresh.scel" / "version.info"), std::to_string(kNewVersion));
  EXPECT_NE(read_file(dictionaries() / "fresh.scel" / "dict.info").find("TOTAL_COUNT\t2\n"), std::string::npos);
  EXPECT_EQ(reporter.statuses().back(), "DARUZ_DICT_IMPORT_DONE") << reporter.trace();
  expect_installed_untouched("another name");
}

TEST_F(ImportDestinationTest, AnInstalledFolderIsReplacedByACompleteBuildAndItsOutdatedStageGoes) {
  write_file(dictionaries() / "__new__words.scel" / "dict.info", "an update for what was there");
  ASSERT_EQ(import(good_bytes(), "words.scel", Destination::Installed).status, Status::Imported) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"words.scel"}));
  const auto now = files_of(dictionaries() / "words.scel");
  EXPECT_EQ(now.at("version.info"), std::to_string(kNewVersion));
  for (const char* file : {"dict.db", "dict_idx.db", "dict.info", "uid.info"}) EXPECT_TRUE(now.count(file)) << file;
}

TEST_F(ImportDestinationTest, AFailedOrStoppedBuildLeavesTheOldFolderAndNothingElse) {
  for (Destination destination : {Destination::Installed, Destination::Staging}) {
    const std::string where = destination == Destination::Installed ? "installed" : "staging";
    const ImportResult failed = import(broken_bytes(), "words.scel", destination);
    EXPECT_EQ(failed.status, Status::ExportFailed) << where;
    EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"words.scel"}) << where;
    expect_installed_untouched(where + " failed");
    for (int poll = 1; poll <= kPollsOfABuild; ++poll) {
      RecordingReporter reporter;
      reporter.stop_at_poll(poll);
      const std::string context = where + " stopped at poll " + std::to_string(poll);
      EXPECT_EQ(import(good_bytes(), "words.scel", destination, &reporter).status, Status::Stopped) << context;
      EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"words.scel"}) << context;
      expect_installed_untouched(context);
    }
  }
  // The whole build asks exactly as often, so every point above was a real one.
  RecordingReporter whole;
  ASSERT_EQ(import(good_bytes(), "words.scel", Destination::Staging, &whole).status, Status::Imported);
  EXPECT_EQ(whole.polls(), kPollsOfABuild);
}

TEST_F(ImportDestinationTest, TheUpdatersImportKeepsTheLockOfAFailureButNotOfAStop) {
  RecordingReporter reporter;
  reporter.stop_at_poll(1);
  const ImportResult stopped = importDaruzCellFile(dictionaries(), cell_file(good_bytes()), "words.scel", &reporter);
  EXPECT_EQ(stopped.status, Status::Stopped);
  EXPECT_EQ(names_in(dictionaries()), std::vector<std::string>{"words.scel"});
  EXPECT_EQ(importDaruzCellFile(dictionaries(), cell_file(broken_bytes()), "words.scel").status,
            Status::ExportFailed);
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{".words.scel", "words.scel"}));
}

TEST_F(ImportDestinationTest, ACellDictionaryOfAnInstalledUidIsStagedForThatFolder) {
  ScelReader reader;
  ASSERT_EQ(reader.load(cell_file(good_bytes()).string()), SCEL_OK);
  const std::optional<std::string> same = installed_folder_with_uid(dictionaries(), reader.uid());
  ASSERT_EQ(same, "words.scel");
  const ImportResult result = importLoadedCellDict(reader, dictionaries(), *same, ImportOptions{});
  ASSERT_EQ(result.status, Status::Imported) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"__new__words.scel", "words.scel"}));
  EXPECT_EQ(read_file(dictionaries() / "__new__words.scel" / "version.info"), std::to_string(kNewVersion));
  expect_installed_untouched("staged beside it");
}

TEST_F(ImportDestinationTest, TheFolderOfAUidIsAnyVisibleInstalledFolderHoldingIt) {
  install(dictionaries(), "a.scel", "0042");
  install(dictionaries(), "mine", "77");
  install(dictionaries(), ".hidden.scel", "5");
  install(dictionaries(), "__new__x.scel", "6");
  install(dictionaries(), "bad.scel", "12a");
  write_file(dictionaries() / "plain.scel" / "dict.info", "no uid");
  struct Case {
    const char* uid;
    std::optional<std::string> folder;
  } cases[] = {
      {"42", "a.scel"}, {"042", "a.scel"}, {"77", "mine"}, {"1234", "words.scel"},
      {"5", std::nullopt}, {"6", std::nullopt}, {"12", std::nullopt}, {"12a", std::nullopt},
      {"", std::nullopt}, {"abc", std::nullopt}, {"-42", std::nullopt}, {"0", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(installed_folder_with_uid(dictionaries(), c.uid), c.folder) << c.uid;
  EXPECT_EQ(installed_folder_with_uid(scratch_.path() / "none", "42"), std::nullopt);
}

}  // namespace
