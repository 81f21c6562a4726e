#include "celldict/update/staged_import.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "celldict/update/build_lock.h"
#include "update_test_support.h"

namespace {

using namespace update_test;
using celldict::update::importDaruzCellFile;
using celldict::update::ImportResult;
using Status = ImportResult::Status;

constexpr std::int32_t kNewVersion = 1262304100;

// A descriptor holding an flock, as another builder would.
class HeldLock {
 public:
  explicit HeldLock(const fs::path& path, int flags = O_RDWR | O_CREAT) {
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    EXPECT_GE(fd_, 0) << path;
    EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
  }
  ~HeldLock() { ::close(fd_); }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  int fd_ = -1;
};

class StagedImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installed_ = install(dictionaries(), "words.scel", "1234");
    installed_before_ = files_of(installed_);
  }
  fs::path dictionaries() const { return scratch_.path() / "Dictionary"; }
  fs::path staging() const { return dictionaries() / "__new__words.scel"; }
  fs::path lock_file() const { return dictionaries() / ".words.scel"; }
  fs::path download(const std::string& bytes) {
    const fs::path path = scratch_.path() / ("download" + std::to_string(++downloads_));
    write_file(path, bytes);
    return path;
  }
  fs::path good_download() { return download(cell_dict_bytes(cell_dict("1234", kNewVersion))); }
  // The body cut short: the header loads, the export fails.
  fs::path broken_download() {
    return download(cell_dict_bytes(cell_dict("1234", kNewVersion)).substr(0, 0x1540 + 6));
  }
  static std::map<std::string, std::string> files_of(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      files[entry.path().filename()] = read_file(entry.path());
    }
    return files;
  }
  void expect_installed_untouched() const { EXPECT_EQ(files_of(installed_), installed_before_); }

  TempDir scratch_;
  LogLines log_;
  fs::path installed_;
  std::map<std::string, std::string> installed_before_;
  int downloads_ = 0;
};

TEST_F(StagedImportTest, ACompleteStagingFolderAndNoLockLeft) {
  const ImportResult result = importDaruzCellFile(dictionaries(), good_download(), "words.scel");
  ASSERT_EQ(result.status, Status::Imported) << log_.all();
  EXPECT_EQ(result.samples, (std::vector<std::string>{"中国", "你好"}));
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"__new__words.scel", "words.scel"}));
  for (const char* file : {"dict.db", "dict_idx.db", "dict.info"}) EXPECT_TRUE(fs::exists(staging() / file)) << file;
  EXPECT_EQ(read_file(staging() / "uid.info"), "1234");
  EXPECT_EQ(read_file(staging() / "version.info"), std::to_string(kNewVersion));
  EXPECT_NE(read_file(staging() / "dict.info").find("TOTAL_COUNT\t2\n"), std::string::npos);
  expect_installed_untouched();
  EXPECT_TRUE(log_.has("Import done..."));
}

TEST_F(StagedImportTest, ANewImportReplacesAStagingFolderNotSwappedInYet) {
  write_file(staging() / "stale", "from an earlier import");
  ASSERT_TRUE(importDaruzCellFile(dictionaries(), good_download(), "words.scel").imported());
  EXPECT_FALSE(fs::exists(staging() / "stale"));
  EXPECT_TRUE(fs::exists(staging() / "dict.info"));
}

TEST_F(StagedImportTest, AFailedBuildStagesNothingAndLeavesItsLockWhichTheNextBuildTakesOver) {
  write_file(staging() / "dict.info", "an earlier complete import");
  const ImportResult failed = importDaruzCellFile(dictionaries(), broken_download(), "words.scel");
  EXPECT_EQ(failed.status, Status::ExportFailed);
  EXPECT_EQ(failed.samples.size(), 2u);
  EXPECT_TRUE(log_.has("Export '")) << log_.all();
  // The earlier staging folder as it was, no private folder left, the lock file kept.
  EXPECT_EQ(read_file(staging() / "dict.info"), "an earlier complete import");
  EXPECT_EQ(names_in(dictionaries()),
            (std::vector<std::string>{".words.scel", "__new__words.scel", "words.scel"}));
  EXPECT_EQ(read_file(lock_file()), "X");
  expect_installed_untouched();

  ASSERT_EQ(importDaruzCellFile(dictionaries(), good_download(), "words.scel").status, Status::Imported)
      << log_.all();
  EXPECT_FALSE(fs::exists(lock_file()));
  EXPECT_EQ(read_file(staging() / "version.info"), std::to_string(kNewVersion));
}

TEST_F(StagedImportTest, ALockHeldByAnotherBuilderLeavesEverythingAsItIs) {
  {
    write_file(lock_file(), "X");
    HeldLock other(lock_file());
    const ImportResult result = importDaruzCellFile(dictionaries(), good_download(), "words.scel");
    EXPECT_EQ(result.status, Status::Busy);
    EXPECT_TRUE(log_.has("is being rebuilt by another builder")) << log_.all();
    EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{".words.scel", "words.scel"}));
    expect_installed_untouched();
  }
  // Released, the next build goes ahead.
  EXPECT_TRUE(importDaruzCellFile(dictionaries(), good_download(), "words.scel").imported());
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"__new__words.scel", "words.scel"}));
}

TEST_F(StagedImportTest, AFileThatIsNoCellDictionaryTouchesNothing) {
  const ImportResult result = importDaruzCellFile(dictionaries(), download("not a cell dictionary"), "words.scel");
  EXPECT_EQ(result.status, Status::LoadFailed);
  EXPECT_NE(result.load_status, 0);
  EXPECT_TRUE(log_.has("Load scel database from '")) << log_.all();
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"words.scel"}));
}

TEST_F(StagedImportTest, NamesThatCannotBeADictionarysAreRefused) {
  for (const char* name : {"", ".", "..", ".hidden", "__new__words.scel", "__NEW__x", "a/b"}) {
    EXPECT_EQ(importDaruzCellFile(dictionaries(), good_download(), name).status, Status::Refused) << name;
  }
  EXPECT_EQ(names_in(dictionaries()), (std::vector<std::string>{"words.scel"}));
}

TEST_F(StagedImportTest, AbandonedBuildFoldersAreRemovedOnlyWhenNobodyHoldsThem) {
  write_file(dictionaries() / "..build.dead01" / "dict.db", "partial");
  write_file(dictionaries() / "..build.live01" / "dict.db", "partial");
  write_file(lock_file(), "X");
  HeldLock live(dictionaries() / "..build.live01", O_RDONLY | O_DIRECTORY);
  EXPECT_EQ(celldict::update::remove_abandoned_builds(dictionaries()), 1);
  EXPECT_EQ(names_in(dictionaries()),
            (std::vector<std::string>{"..build.live01", ".words.scel", "words.scel"}));
}

TEST(BuildLock, TakenOnceAtATimeAndRemovedWhenDone) {
  TempDir folder;
  const fs::path path = folder / ".a.scel";
  using celldict::update::BuildLock;
  BuildLock::Outcome outcome;
  std::error_code error;
  auto first = BuildLock::acquire(path, &outcome, error);
  ASSERT_TRUE(first);
  EXPECT_EQ(outcome, BuildLock::Outcome::Acquired);
  EXPECT_EQ(read_file(path), "X");
  // Another open file, as another thread or process has, is refused.
  EXPECT_FALSE(BuildLock::acquire(path, &outcome, error));
  EXPECT_EQ(outcome, BuildLock::Outcome::Busy);
  EXPECT_TRUE(first->remove_file(error));
  EXPECT_FALSE(fs::exists(path));
  first.reset();
  // A link in the lock file's place is not followed.
  fs::create_symlink(folder / "elsewhere", path);
  EXPECT_FALSE(BuildLock::acquire(path, &outcome, error));
  EXPECT_EQ(outcome, BuildLock::Outcome::Failed);
  EXPECT_FALSE(fs::exists(folder / "elsewhere"));
}

}  // namespace
