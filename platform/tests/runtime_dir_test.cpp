#include "platform/runtime_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/tests/test_support.h"

namespace platform::runtime {
namespace {

using testing_support::ScopedEnv;
using testing_support::TempDir;

mode_t mode_of(const std::filesystem::path& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(RuntimeDirTest, ExplicitFolderIsCreatedPrivate) {
  TempDir temp;
  auto wanted = temp.path() / "a" / "run";
  ScopedEnv env("KEP_RUNTIME_DIR", wanted.string());
  std::error_code error;
  auto folder = directory(error);
  ASSERT_TRUE(folder) << error.message();
  EXPECT_EQ(*folder, wanted);
  EXPECT_EQ(mode_of(wanted), 0700u);
}

TEST(RuntimeDirTest, XdgRuntimeFolderGetsASubfolder) {
  TempDir temp;
  ScopedEnv unset("KEP_RUNTIME_DIR", std::nullopt);
  ScopedEnv env("XDG_RUNTIME_DIR", temp.path().string());
  std::error_code error;
  auto folder = directory(error);
  ASSERT_TRUE(folder) << error.message();
  EXPECT_EQ(*folder, temp.path() / "kep");
  EXPECT_EQ(mode_of(*folder), 0700u);
}

TEST(RuntimeDirTest, FallsBackToAPerUserFolderInTmp) {
  ScopedEnv unset("KEP_RUNTIME_DIR", std::nullopt);
  ScopedEnv relative_xdg("XDG_RUNTIME_DIR", "relative/run");  // invalid, so ignored
  std::error_code error;
  auto folder = directory(error);
  ASSERT_TRUE(folder) << error.message();
  EXPECT_EQ(*folder, std::filesystem::path("/tmp/kep-" + std::to_string(::geteuid())));
}

TEST(RuntimeDirTest, FoldersOthersCouldEnterOrOwnAreRefused) {
  TempDir temp;
  auto open_folder = temp.path() / "open";
  ASSERT_EQ(::mkdir(open_folder.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(open_folder.c_str(), 0755), 0);
  auto link = temp.path() / "link";
  auto target = temp.path() / "target";
  ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
  std::filesystem::create_symlink(target, link);
  // A folder of another user: as root, give one away; otherwise "/" belongs to root.
  std::filesystem::path foreign = "/";
  if (::geteuid() == 0) {
    foreign = temp.path() / "foreign";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
  }
  auto file = temp.path() / "file";
  { std::FILE* f = std::fopen(file.c_str(), "w"); ASSERT_TRUE(f); std::fclose(f); }

  struct Case {
    std::string value;
    std::errc expected;
  };
  const Case cases[] = {
      {open_folder.string(), std::errc::permission_denied},
      {foreign.string(), std::errc::permission_denied},
      {link.string(), std::errc::not_a_directory},
      {file.string(), std::errc::not_a_directory},
      {"relative/run", std::errc::invalid_argument},
  };
  for (const Case& c : cases) {
    ScopedEnv env("KEP_RUNTIME_DIR", c.value);
    std::error_code error;
    EXPECT_FALSE(directory(error)) << c.value;
    EXPECT_EQ(error, c.expected) << c.value << ": " << error.message();
  }
  EXPECT_EQ(mode_of(open_folder), 0755u);  // refused, not silently changed
}

TEST(RuntimeDirTest, SocketPathsMustFitAnAddress) {
  TempDir temp;
  ScopedEnv env("KEP_RUNTIME_DIR", temp.path().string());
  std::error_code error;
  auto path = socket_path("KEPCCServerPort.port", error);
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, temp.path() / "KEPCCServerPort.port");
  EXPECT_FALSE(socket_path(std::string(120, 'n'), error));
  EXPECT_EQ(error, std::errc::filename_too_long);
}

TEST(RuntimeDirTest, NamesAreSafeFileNames) {
  for (const char* good : {"KEPCCServerPort", "com.corvana.x.imkcandishow.123", "A_B-c"}) {
    EXPECT_TRUE(is_valid_name(good)) << good;
  }
  for (const char* bad : {"", ".", "..", ".x", "a/b", "a b", "ü"}) {
    EXPECT_FALSE(is_valid_name(bad)) << bad;
  }
}

}  // namespace
}  // namespace platform::runtime
