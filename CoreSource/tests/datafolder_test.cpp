#include "base/datafolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine_test_support.h"

using namespace engine_test;

namespace {

std::string resolve(const char* name) {
  char out[512];
  std::memset(out, 0, sizeof out);
  EXPECT_EQ(ime_get_resource_filename(name, out), 0) << name;
  return out;
}

// A temp HOME and a temp root holding a fake resource bundle and a separate default folder.
class ResourceLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_bundle_name_ = ime_bundle_name;
    std::memcpy(saved_default_res_, ime_default_res, sizeof saved_default_res_);

    root_env_.emplace("KEP_ROOT", root_.path().string());
    reset_engine_caches();

    bundle_ = root_ / "Library/Components/Fake.component";
    write_file(bundle_ / "Contents/Info.plist",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>CFBundleIdentifier</key>\n\t<string>com.example.fake.engine</string>\n"
               "</dict>\n</plist>\n");
    ime_bundle_name = "com.example.fake.engine";
    defaults_ = root_ / "defaults";
    fs::create_directories(defaults_);
    std::snprintf(ime_default_res, sizeof ime_default_res, "%s", defaults_.c_str());

    write_file(home_.data_folder() / "both.txt", "data");
    write_file(home_.data_folder() / "dataonly.txt", "data");
    write_file(resources() / "both.txt", "bundle");
    write_file(resources() / "bundleonly.txt", "bundle");
    write_file(defaults_ / "both.txt", "default");
    write_file(defaults_ / "defaultonly.txt", "default");
  }

  void TearDown() override {
    ime_bundle_name = saved_bundle_name_;
    std::memcpy(ime_default_res, saved_default_res_, sizeof saved_default_res_);
    root_env_.reset();
    reset_engine_caches();
  }

  fs::path resources() const { return bundle_ / "Contents/Resources"; }

  ScratchHome home_;
  TempDir root_;
  std::optional<ScopedEnv> root_env_;
  fs::path bundle_;
  fs::path defaults_;
  const char* saved_bundle_name_ = nullptr;
  char saved_default_res_[512];
};

TEST_F(ResourceLookupTest, SearchesDataFolderThenBundleThenDefaultFolder) {
  struct Case {
    const char* name;
    fs::path expected;
  };
  const std::vector<Case> cases = {
      {"both.txt", home_.data_folder() / "both.txt"},
      {"!both.txt", resources() / "both.txt"},
      {"bundleonly.txt", resources() / "bundleonly.txt"},
      {"defaultonly.txt", defaults_ / "defaultonly.txt"},
      {"!dataonly.txt", defaults_ / "dataonly.txt"},
      {"nowhere.txt", defaults_ / "nowhere.txt"},
  };
  for (const Case& c : cases) {
    ime_datafolder_reset_for_testing();
    EXPECT_EQ(resolve(c.name), c.expected.string()) << c.name;
  }
}

TEST_F(ResourceLookupTest, FallsBackToDefaultFolderWithoutTheBundle) {
  ime_bundle_name = "com.example.absent";
  EXPECT_EQ(resolve("!both.txt"), (defaults_ / "both.txt").string());
}

TEST_F(ResourceLookupTest, CacheIsKeyedByTheBareName) {
  EXPECT_EQ(resolve("both.txt"), (home_.data_folder() / "both.txt").string());
  EXPECT_EQ(resolve("!both.txt"), (home_.data_folder() / "both.txt").string());

  ime_datafolder_reset_for_testing();
  EXPECT_EQ(resolve("!both.txt"), (resources() / "both.txt").string());
  EXPECT_EQ(resolve("both.txt"), (resources() / "both.txt").string());
}

TEST_F(ResourceLookupTest, FoundPathsAreKeptMissingOnesAreNot) {
  EXPECT_EQ(resolve("bundleonly.txt"), (resources() / "bundleonly.txt").string());
  EXPECT_EQ(resolve("later.txt"), (defaults_ / "later.txt").string());

  write_file(home_.data_folder() / "bundleonly.txt", "user copy");
  write_file(home_.data_folder() / "later.txt", "user copy");

  EXPECT_EQ(resolve("bundleonly.txt"), (resources() / "bundleonly.txt").string());
  EXPECT_EQ(resolve("later.txt"), (home_.data_folder() / "later.txt").string());
}

TEST_F(ResourceLookupTest, RefusesNamesThatAreNoText) {
  LogCapture log;
  for (const char* name : {"", "!", "\xff\xfe"}) {
    char out[512] = "untouched";
    EXPECT_EQ(ime_get_resource_filename(name, out), -1) << name;
  }
  char out[512];
  EXPECT_EQ(ime_get_resource_filename(nullptr, out), -1);
  ASSERT_EQ(LogCapture::lines().size(), 3u);
  EXPECT_NE(LogCapture::lines()[0].find("Create resource string failed!"), std::string::npos);
}

TEST_F(ResourceLookupTest, AddToResDictKeepsOnlyExistingPaths) {
  AddToResDict("ghost.txt", (root_ / "not-there").c_str());
  EXPECT_EQ(resolve("ghost.txt"), (defaults_ / "ghost.txt").string());
  AddToResDict("pinned.txt", (defaults_ / "both.txt").c_str());
  EXPECT_EQ(resolve("pinned.txt"), (defaults_ / "both.txt").string());
}

class RootTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_engine_caches(); }
  void TearDown() override { reset_engine_caches(); }
  TempDir root_;
  ScopedEnv env_{"KEP_ROOT", root_.path().string()};
};

TEST(DataFolder, BadHomeIsRefused) {
  const std::vector<std::optional<std::string>> homes = {std::nullopt, "", "relative/home"};
  for (const auto& home : homes) {
    ScopedEnv env("HOME", home);
    reset_engine_caches();
    LogCapture log;
    SCOPED_TRACE(home ? "HOME=\"" + *home + "\"" : "HOME unset");

    EXPECT_EQ(QAGetAppSupportPath(), nullptr);
    EXPECT_NE(ime_data_folder_error().find("HOME"), std::string::npos);
    char buffer[512] = "x";
    EXPECT_EQ(QACopyAppSupportPath(buffer), -1);
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(QAGetAppSupportPathString().empty());
    EXPECT_TRUE(QACopyAppSupportPathURL().empty());
    EXPECT_EQ(ime_make_data_folder(), -1);
    EXPECT_EQ(QAGetHomeDirectory(), nullptr);
    EXPECT_EQ(IMEGetHomeDirectory(), nullptr);
    ASSERT_FALSE(LogCapture::lines().empty());
    for (const std::string& line : LogCapture::lines()) {
      EXPECT_EQ(line.find("(null)"), std::string::npos) << line;
    }
  }
  reset_engine_caches();
}

TEST(DataFolder, NamedFromHomeAndKeptForTheProcess) {
  {
    ScopedEnv env("HOME", "/Users/u");
    reset_engine_caches();
    EXPECT_STREQ(QAGetAppSupportPath(), "/Users/u/Library/KEP");
    EXPECT_STREQ(QAGetHomeDirectory(), "/Users/u");
    EXPECT_EQ(ime_data_folder_error(), "");
    char buffer[512];
    EXPECT_EQ(QACopyAppSupportPath(buffer), 0);
    EXPECT_STREQ(buffer, "/Users/u/Library/KEP");
    char small[8];
    EXPECT_EQ(QACopyAppSupportPath(small, sizeof small), -1);

    ::setenv("HOME", "/Users/other", 1);
    EXPECT_STREQ(QAGetAppSupportPath(), "/Users/u/Library/KEP");
    EXPECT_EQ(QAGetAppSupportPathString(), "/Users/u/Library/KEP");
    EXPECT_STREQ(QAGetHomeDirectory(), "/Users/u");
    EXPECT_STREQ(IMEGetHomeDirectory(), "/Users/other");
  }
  {
    ScopedEnv env("HOME", "/home/a b/");
    reset_engine_caches();
    EXPECT_STREQ(QAGetAppSupportPath(), "/home/a b/Library/KEP");
    EXPECT_EQ(QACopyAppSupportPathURL(), "file:///home/a%20b/Library/KEP/");
  }
  reset_engine_caches();
}

TEST(DataFolder, CreatedPrivateWithItsParents) {
  TempDir scratch;
  ScopedEnv env("HOME", (scratch / "new-home").string());
  reset_engine_caches();
  ASSERT_EQ(ime_make_data_folder(), 0);
  struct stat st;
  ASSERT_EQ(::stat((scratch / "new-home/Library/KEP").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(ime_make_data_folder(), 0);  // an existing folder is fine

  write_file(scratch / "file-home/Library/KEP", "not a folder");
  ::setenv("HOME", (scratch / "file-home").c_str(), 1);
  reset_engine_caches();
  LogCapture log;
  EXPECT_EQ(ime_make_data_folder(), -1);
  ASSERT_EQ(LogCapture::lines().size(), 1u);
  EXPECT_NE(LogCapture::lines()[0].find("Create directory"), std::string::npos);
  reset_engine_caches();
}

// Whoever else may write to the data folder could swap the files every engine process maps.
// Refusal is decided from the folder's owner and mode bits, so it holds for root as well.
TEST(DataFolder, AFolderOthersCanWriteToIsRefused) {
  struct Case {
    const char* what;
    mode_t mode;
    bool foreign_owner;
    const char* reason;  // nullptr: accepted
  } cases[] = {
      {"private", 0700, false, nullptr},
      {"readable by all", 0755, false, nullptr},
      {"group-writable", 0770, false, "others can write to it (mode 0770)"},
      {"writable by all", 0777, false, "others can write to it (mode 0777)"},
      {"writable by others only", 0703, false, "others can write to it (mode 0703)"},
      {"another user's", 0700, true, "belongs to user 65534"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.foreign_owner && ::geteuid() != 0) {
      std::printf("[ SKIPPED  ] %s: giving a folder to another user needs root\n", c.what);
      continue;
    }
    TempDir scratch;
    ScopedEnv env("HOME", scratch.path().string());
    reset_engine_caches();
    const fs::path folder = scratch / "Library/KEP";
    fs::create_directories(folder);
    ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);
    if (c.foreign_owner) {
      ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    }
    LogCapture log;
    EXPECT_EQ(ime_make_data_folder(), c.reason == nullptr ? 0 : -1);
    EXPECT_EQ(ime_data_folder_refusal(folder.c_str()).empty(), c.reason == nullptr);
    if (c.reason != nullptr) {
      ASSERT_EQ(LogCapture::lines().size(), 1u);
      EXPECT_NE(LogCapture::lines()[0].find(c.reason), std::string::npos) << LogCapture::lines()[0];
      EXPECT_NE(LogCapture::lines()[0].find(folder.string()), std::string::npos);
    } else {
      EXPECT_TRUE(LogCapture::lines().empty());
    }
  }
  reset_engine_caches();
}

TEST_F(RootTest, DefaultResourcesLieUnderTheRoot) {
  const char* saved_name = ime_bundle_name;
  char saved_res[512];
  std::memcpy(saved_res, ime_default_res, sizeof saved_res);

  ime_bundle_name = nullptr;
  EXPECT_EQ(ime_set_default_resources(), 0);
  EXPECT_STREQ(ime_bundle_name, "com.corvana.kep");
  EXPECT_EQ(fs::path(ime_default_res),
            root_.path() / "Library/Components/KEP.component/Contents/Resources");

  ime_bundle_name = "com.example.host";
  EXPECT_EQ(ime_set_default_resources(), 0);
  EXPECT_STREQ(ime_bundle_name, "com.example.host");

  ime_bundle_name = saved_name;
  std::memcpy(ime_default_res, saved_res, sizeof saved_res);
}

TEST(ChangePostfix, ReplacesTheExtensionOfTheFileName) {
  struct Case {
    const char* source;
    const char* suffix;
    const char* expected;
  };
  const Case cases[] = {
      {"a.b.pct", ".qdb", "a.b.qdb"},
      {"table", ".qdb", "table.qdb"},
      {"/x/PlugCodeTable/wubi.pct", ".freq", "/x/PlugCodeTable/wubi.freq"},
      {"/home/j.doe/table", ".idx", "/home/j.doe/table.idx"},
      {"dir.d/", ".ex", "dir.d/.ex"},
  };
  for (const Case& c : cases) {
    char out[512];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(QAChangePostfix(c.source, c.suffix, out), out) << c.source;
    EXPECT_STREQ(out, c.expected) << c.source;
  }
  char small[9];
  EXPECT_EQ(QAChangePostfix("table", ".qdb", small, sizeof small), nullptr);
  EXPECT_STREQ(small, "");
  char exact[10];
  EXPECT_STREQ(QAChangePostfix("table", ".qdb", exact, sizeof exact), "table.qdb");
}

TEST_F(RootTest, FullConvertNeedsAllFourFolders) {
  EXPECT_EQ(full_convert_installed(), 0);
  for (const char* part : {"cz", "main", "mpp"}) fs::create_directories(root_ / "Library/TAV" / part);
  EXPECT_EQ(full_convert_installed(), 0);
  write_file(root_ / "Library/TAV/py", "a file, not a folder");
  EXPECT_EQ(full_convert_installed(), 0);
  fs::remove(root_ / "Library/TAV/py");
  fs::create_directories(root_ / "Library/TAV/py");
  EXPECT_EQ(full_convert_installed(), 1);
}

TEST_F(RootTest, OsVersionNeedsThreeNumbers) {
  int major = -7, minor = -7, revision = -7;
  EXPECT_EQ(ime_get_osversion(&major, &minor, &revision), -1);

  struct Case {
    const char* version;
    int result;
    int major, minor, revision;
  };
  const Case cases[] = {
      {"10.6", -1, 0, 0, 0},
      {"10.6.8", 0, 10, 6, 8},
      {"10>6/3", 0, 10, 6, 3},
      {"11..2?1", 0, 11, 2, 1},
      {"10.x.8", -1, 0, 0, 0},
  };
  const fs::path file = root_ / "System/Library/CoreServices/SystemVersion.plist";
  for (const Case& c : cases) {
    write_file(file, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<plist version=\"1.0\">\n<dict>\n"
                                 "\t<key>ProductVersion</key>\n\t<string>") +
                         c.version + "</string>\n</dict>\n</plist>\n");
    major = minor = revision = -7;
    EXPECT_EQ(ime_get_osversion(&major, &minor, &revision), c.result) << c.version;
    if (c.result == 0) {
      EXPECT_EQ(major, c.major) << c.version;
      EXPECT_EQ(minor, c.minor) << c.version;
      EXPECT_EQ(revision, c.revision) << c.version;
    }
  }
  write_file(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                   "<dict>\n\t<key>ProductName</key>\n\t<string>X</string>\n</dict>\n</plist>\n");
  EXPECT_EQ(ime_get_osversion(&major, &minor, &revision), -1);
}

TEST(CopyFile, CopiesIntoTheFolderReplacingTheOldCopy) {
  TempDir scratch;
  write_file(scratch / "src/hzdb.info", "new");
  write_file(scratch / "dest/hzdb.info", "old and longer");
  EXPECT_EQ(QACopyFile((scratch / "src/hzdb.info").c_str(), (scratch / "dest").c_str()), 0);
  EXPECT_EQ(read_file(scratch / "dest/hzdb.info"), "new");

  LogCapture log;
  EXPECT_EQ(QACopyFile((scratch / "src/missing").c_str(), (scratch / "dest").c_str()), -1);
  EXPECT_EQ(QACopyFile((scratch / "src/hzdb.info").c_str(), (scratch / "nofolder").c_str()), -1);
  EXPECT_EQ(QACopyFile((scratch / "src").c_str(), (scratch / "dest").c_str()), -1);
}

TEST(DeleteFile, DeletesFilesAndFlatFolders) {
  TempDir scratch;
  LogCapture log;

  write_file(scratch / "plain", "x");
  EXPECT_EQ(QADeleteFile((scratch / "plain").c_str()), 0);
  EXPECT_FALSE(fs::exists(scratch / "plain"));

  write_file(scratch / "flat/a", "x");
  write_file(scratch / "flat/b", "x");
  write_file(scratch / "flat/.hidden", "x");
  EXPECT_EQ(QADeleteFile((scratch / "flat").c_str()), 0);
  EXPECT_FALSE(fs::exists(scratch / "flat"));

  EXPECT_EQ(QADeleteFile((scratch / "never-was").c_str()), -1);
}

TEST(DeleteFile, FolderWithSubFolderLosesNothing) {
  TempDir scratch;
  LogCapture log;
  write_file(scratch / "tree/a", "x");
  write_file(scratch / "tree/z", "x");
  write_file(scratch / "tree/sub/inner", "x");
  EXPECT_EQ(QADeleteFile((scratch / "tree").c_str()), -1);
  EXPECT_TRUE(fs::exists(scratch / "tree/a"));
  EXPECT_TRUE(fs::exists(scratch / "tree/z"));
  EXPECT_TRUE(fs::exists(scratch / "tree/sub/inner"));
}

TEST(DeleteFile, LinksAreRemovedNotFollowed) {
  TempDir scratch;
  write_file(scratch / "target/keep", "x");
  fs::create_directory_symlink(scratch / "target", scratch / "link");
  EXPECT_EQ(QADeleteFile((scratch / "link").c_str()), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "link")));
  EXPECT_TRUE(fs::exists(scratch / "target/keep"));

  write_file(scratch / "withlink/file", "x");
  fs::create_symlink(scratch / "target/keep", scratch / "withlink/alias");
  EXPECT_EQ(QADeleteFile((scratch / "withlink").c_str()), 0);
  EXPECT_TRUE(fs::exists(scratch / "target/keep"));
}

}  // namespace
