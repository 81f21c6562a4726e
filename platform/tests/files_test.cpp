#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/tests/test_support.h"

namespace platform::files {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;

// A plain write that leaves the file as any other program would.
bool write_all_to(const fs::path& path, std::string_view data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write_all(fd, data);
  return ::close(fd) == 0 && ok;
}

std::string slurp(const fs::path& path) {
  std::error_code ec;
  return read_file(path, ec).value_or("<unreadable>");
}

TEST(FilesTest, RootComesFromKepRoot) {
  TempDir dir;
  ScopedEnv env("KEP_ROOT", dir.path().string());
  reset_root_cache();
  EXPECT_EQ(root(), dir.path());
  EXPECT_EQ(under_root("/Library/TAV"), dir.path() / "Library/TAV");
  EXPECT_EQ(under_root("Library/TAV"), dir.path() / "Library/TAV");
  reset_root_cache();
}

TEST(FilesTest, EmptyKepRootIsNotTakenAsARoot) {
  ScopedEnv env("KEP_ROOT", "");
  reset_root_cache();
  EXPECT_FALSE(root().empty());
  EXPECT_TRUE(root().is_absolute());
  reset_root_cache();
}

TEST(FilesTest, MakeDirectoriesCreatesParentsWithMode) {
  TempDir dir;
  fs::path deep = dir.path() / "a" / "b" / "c";
  std::error_code ec;
  ASSERT_TRUE(make_directories(deep, 0700, ec)) << ec.message();
  struct stat st {};
  ASSERT_EQ(::stat(deep.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat((dir.path() / "a").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(make_directories(deep, 0700, ec));  // already there is fine

  write_atomic(dir.path() / "file", "x", ec);
  EXPECT_FALSE(make_directories(dir.path() / "file" / "sub", 0700, ec));
}

TEST(FilesTest, WriteAtomicReplacesContents) {
  for (Durability durability : {Durability::Flushed, Durability::Unflushed}) {
    TempDir dir;
    fs::path target = dir.path() / "settings.plist";
    std::error_code ec;
    ASSERT_TRUE(write_atomic(target, "old", ec, 0640, durability));
    ASSERT_TRUE(write_atomic(target, "new contents", ec, 0640, durability));
    EXPECT_EQ(slurp(target), "new contents");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(list_directory(dir.path(), ec, true).size(), 1u);  // no temporary left behind
  }
}

TEST(FilesTest, FailedAtomicWriteLeavesOldFileIntact) {
  TempDir dir;
  fs::path target = dir.path() / "udb.lib";
  std::error_code ec;
  ASSERT_TRUE(write_atomic(target, "precious", ec));

  // A file-size limit makes the write fail even for root; do it in a child process.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::error_code child_error;
    bool ok = write_atomic(target, std::string(4096, 'x'), child_error);
    _exit(ok ? 0 : (child_error ? 3 : 4));
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3) << "the write must fail and say why";
  EXPECT_EQ(slurp(target), "precious");
  EXPECT_EQ(list_directory(dir.path(), ec, true).size(), 1u);
}

TEST(FilesTest, WriteAtomicIntoMissingFolderFails) {
  TempDir dir;
  std::error_code ec;
  EXPECT_FALSE(write_atomic(dir.path() / "missing" / "x", "data", ec));
  EXPECT_TRUE(ec);
}

TEST(FilesTest, LockIsExclusiveAcrossProcesses) {
  TempDir dir;
  fs::path lock_path = dir.path() / "udb.lib";
  std::error_code ec;
  auto lock = FileLock::acquire(lock_path, true, ec);
  ASSERT_TRUE(lock) << ec.message();

  auto child_can_lock = [&]() {
    pid_t child = fork();
    if (child == 0) {
      std::error_code child_error;
      _exit(FileLock::acquire(lock_path, false, child_error) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  EXPECT_FALSE(child_can_lock());
  lock.reset();
  EXPECT_TRUE(child_can_lock());
}

TEST(FilesTest, LockRefusesAPlantedLink) {
  TempDir dir;
  std::error_code ec;
  ASSERT_TRUE(write_atomic(dir.path() / "elsewhere", "theirs", ec));
  fs::create_symlink(dir.path() / "elsewhere", dir.path() / "counters.lock");
  EXPECT_FALSE(FileLock::acquire(dir.path() / "counters.lock", false, ec));
  EXPECT_EQ(ec, std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(slurp(dir.path() / "elsewhere"), "theirs");
}

// A temporary file that an interrupted write left behind goes with the folder's next write;
// one being written now, and files merely named alike, stay.
TEST(FilesTest, WritingAFolderRemovesOnlyItsStaleTemporaryFiles) {
  TempDir dir;
  std::error_code ec;
  struct Entry {
    const char* name;
    bool folder;
    int age_minutes;
    bool removed;
  } entries[] = {
      {".hzfreq.db.a1B2c3", false, 60, true},
      {".settings.plist.Zz9Yy8", false, 6, true},
      {".hzfreq.db.d4E5f6", false, 0, false},    // a write under way
      {".hzfreq.db.g7H8i9", false, 3, false},    // not yet stale
      {"hzfreq.db.a1B2c3", false, 60, false},    // no leading dot
      {".hzfreq.db.a1B2c", false, 60, false},    // a five-letter suffix
      {".hzfreq.db.a1-2c3", false, 60, false},   // not mkstemp's letters
      {".dict.build.q1W2e3", true, 60, false},   // a folder
  };
  for (const Entry& e : entries) {
    fs::path path = dir.path() / e.name;
    if (e.folder) fs::create_directory(path);
    else ASSERT_TRUE(write_all_to(path, "partial"));
    auto when = fs::file_time_type::clock::now() - std::chrono::minutes(e.age_minutes);
    fs::last_write_time(path, when);
  }
  ASSERT_TRUE(write_atomic(dir.path() / "qy.cfg", "a\n", ec)) << ec.message();
  for (const Entry& e : entries) {
    EXPECT_EQ(fs::exists(dir.path() / e.name), !e.removed) << e.name;
  }
  EXPECT_EQ(slurp(dir.path() / "qy.cfg"), "a\n");
}

TEST(FilesTest, AnUncommittedReplacementLeavesNothingBehind) {
  TempDir dir;
  std::error_code ec;
  ASSERT_TRUE(write_atomic(dir.path() / "file", "old", ec));
  {
    auto replacement = AtomicReplacement::begin(dir.path() / "file", 0600, ec);
    ASSERT_TRUE(replacement) << ec.message();
    ASSERT_TRUE(write_all(replacement->descriptor(), "half"));
  }
  EXPECT_EQ(slurp(dir.path() / "file"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FilesTest, MappedFileSharesWrites) {
  TempDir dir;
  fs::path path = dir.path() / "counters";
  std::error_code ec;
  ASSERT_TRUE(write_atomic(path, std::string(8, '\0'), ec));
  {
    auto mapped = MappedFile::open(path, true, ec);
    ASSERT_TRUE(mapped);
    ASSERT_EQ(mapped->size(), 8u);
    mapped->data()[3] = 'k';
  }
  EXPECT_EQ(slurp(path)[3], 'k');
}

TEST(FilesTest, MappingFailsForEmptyOrMissingFiles) {
  TempDir dir;
  std::error_code ec;
  ASSERT_TRUE(write_atomic(dir.path() / "empty", "", ec));
  EXPECT_FALSE(MappedFile::open(dir.path() / "empty", false, ec));
  EXPECT_FALSE(MappedFile::open(dir.path() / "missing", false, ec));
  EXPECT_TRUE(ec);
}

TEST(FilesTest, ListDirectoryIsSortedAndSkipsHiddenEntries) {
  TempDir dir;
  std::error_code ec;
  for (const char* name : {"b", "a", ".hidden", "C"}) write_atomic(dir.path() / name, "", ec);
  std::vector<std::string> names;
  for (const auto& entry : list_directory(dir.path(), ec)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, (std::vector<std::string>{"C", "a", "b"}));
  EXPECT_EQ(list_directory(dir.path(), ec, true).size(), 4u);
  EXPECT_TRUE(list_directory(dir.path() / "missing", ec).empty());
  EXPECT_TRUE(ec);
}

TEST(FilesTest, CopyAndRemoveWithoutFollowingLinks) {
  TempDir dir;
  std::error_code ec;
  fs::path outside = dir.path() / "outside";
  fs::create_directory(outside);
  write_atomic(outside / "keep", "keep me", ec);

  fs::path tree = dir.path() / "tree";
  fs::create_directories(tree / "sub");
  write_atomic(tree / "sub" / "file", "data", ec);
  fs::create_directory_symlink(outside, tree / "link");

  ASSERT_TRUE(copy_file_replacing(tree / "sub" / "file", dir.path() / "copy", ec));
  EXPECT_EQ(slurp(dir.path() / "copy"), "data");
  EXPECT_FALSE(copy_file_replacing(tree / "missing", dir.path() / "copy", ec));
  EXPECT_EQ(slurp(dir.path() / "copy"), "data");

  ASSERT_TRUE(remove_tree(tree, ec));
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(slurp(outside / "keep"), "keep me");
}

}  // namespace
}  // namespace platform::files
