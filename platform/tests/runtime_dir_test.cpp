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

// Places no private folder may be: a folder others may enter, one of another user, a link to
// a private folder, a file.
class RefusedPlaces {
 public:
  RefusedPlaces() {
    EXPECT_EQ(::mkdir(open_folder.c_str(), 0700), 0);
    EXPECT_EQ(::chmod(open_folder.c_str(), 0755), 0);
    EXPECT_EQ(::mkdir(target.c_str(), 0700), 0);
    std::filesystem::create_symlink(target, link);
    // As root, give a folder away; otherwise "/" belongs to root.
    if (::geteuid() == 0) {
      foreign = temp.path() / "foreign";
      EXPECT_EQ(::mkdir(foreign.c_str(), 0700), 0);
      EXPECT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    std::FILE* f = std::fopen(file.c_str(), "w");
    EXPECT_TRUE(f);
    if (f) std::fclose(f);
  }

  TempDir temp;
  std::filesystem::path open_folder = temp.path() / "open";
  std::filesystem::path target = temp.path() / "target";
  std::filesystem::path link = temp.path() / "link";
  std::filesystem::path foreign = "/";
  std::filesystem::path file = temp.path() / "file";
};

TEST(RuntimeDirTest, FoldersOthersCouldEnterOrOwnAreRefused) {
  RefusedPlaces places;
  const auto& open_folder = places.open_folder;

  struct Case {
    std::string value;
    std::errc expected;
  };
  const Case cases[] = {
      {open_folder.string(), std::errc::permission_denied},
      {places.foreign.string(), std::errc::permission_denied},
      {places.link.string(), std::errc::not_a_directory},
      {places.file.string(), std::errc::not_a_directory},
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

TEST(RuntimeDirTest, OtherPrivateFoldersGetTheSameChecksWithReasonsThatSayWhy) {
  RefusedPlaces places;
  const TempDir& temp = places.temp;

  struct Case {
    std::filesystem::path path;
    bool create_parents;
    std::errc expected;
    const char* said;  // in the error's message
  };
  const Case cases[] = {
      {places.link, true, std::errc::not_a_directory, "link"},
      {places.link, false, std::errc::not_a_directory, "link"},
      {places.file, false, std::errc::not_a_directory, "not a folder"},
      {places.open_folder, false, std::errc::permission_denied, "others may enter"},
      {places.foreign, false, std::errc::permission_denied, "another user"},
      {temp.path() / "missing" / "child", false, std::errc::no_such_file_or_directory, ""},
  };
  for (const Case& c : cases) {
    std::error_code error;
    EXPECT_FALSE(make_private_directory(c.path, c.create_parents, error)) << c.path;
    EXPECT_EQ(error, c.expected) << c.path << ": " << error.message();
    EXPECT_NE(error.message().find(c.said), std::string::npos) << c.path << ": " << error.message();
  }
  EXPECT_TRUE(std::filesystem::is_empty(places.target)) << "nothing made through the link";
  EXPECT_EQ(mode_of(places.open_folder), 0755u) << "refused, not silently changed";

  for (bool create_parents : {true, false}) {
    auto made = temp.path() / (create_parents ? "new/parents/made" : "made");
    std::error_code error;
    EXPECT_TRUE(make_private_directory(made, create_parents, error)) << made << ": " << error.message();
    EXPECT_EQ(mode_of(made), 0700u);
    EXPECT_TRUE(make_private_directory(made, create_parents, error)) << "an existing private folder";
  }
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
