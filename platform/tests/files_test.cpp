#include "platform/files.h"

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
  TempDir dir;
  fs::path target = dir.path() / "settings.plist";
  std::error_code ec;
  ASSERT_TRUE(write_atomic(target, "old", ec));
  ASSERT_TRUE(write_atomic(target, "new contents", ec));
  EXPECT_EQ(slurp(target), "new contents");
  EXPECT_EQ(list_directory(dir.path(), ec, true).size(), 1u);  // no temporary left behind
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
