#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "CoreSource/tests/engine_test_support.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"

namespace {

namespace fs = std::filesystem;
using engine_test::read_file;
using engine_test::write_file;

class InitDataTest : public ::testing::Test {
 protected:
  void TearDown() override { sentence::FreeData(); }
  fs::path apr() const { return home_.data_folder() / "apr"; }

  void expect_fresh_apr() const {
    struct stat st {};
    ASSERT_EQ(::lstat(apr().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    for (const char* name : {"youxian.lib", "user.dan"}) {
      EXPECT_TRUE(fs::is_regular_file(apr() / name)) << name;
      EXPECT_EQ(fs::file_size(apr() / name), 0u) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(apr()), fs::directory_iterator()), 2);
  }

  engine_test::LogCapture log_;
  engine_test::ScratchHome home_;
};

TEST_F(InitDataTest, CreatesTheLearnedWordFolderWithItsTwoEmptyFiles) {
  ASSERT_EQ(sentence::InitData(), 0);
  expect_fresh_apr();
}

TEST_F(InitDataTest, APlainFileNamedAprIsReplacedByTheFolder) {
  write_file(apr(), "not a folder");
  ASSERT_EQ(sentence::InitData(), 0);
  expect_fresh_apr();
}

TEST_F(InitDataTest, ALinkNamedAprIsReplacedAndWhatItPointsAtIsLeftAlone) {
  engine_test::TempDir elsewhere;
  write_file(elsewhere / "youxian.lib", "keep me");
  fs::create_directory_symlink(elsewhere.path(), apr());
  ASSERT_EQ(sentence::InitData(), 0);
  expect_fresh_apr();
  EXPECT_EQ(read_file(elsewhere / "youxian.lib"), "keep me");
}

TEST_F(InitDataTest, AnExistingFolderIsLeftAsItIs) {
  fs::create_directory(apr());
  fs::permissions(apr(), fs::perms::owner_all | fs::perms::group_read);
  write_file(apr() / "youxian.lib", "ni hao\r\n");
  write_file(apr() / "other", "x");
  ASSERT_EQ(sentence::InitData(), 0);
  EXPECT_EQ(read_file(apr() / "youxian.lib"), "ni hao\r\n");
  EXPECT_EQ(read_file(apr() / "other"), "x");
  EXPECT_FALSE(fs::exists(apr() / "user.dan"));
  EXPECT_EQ(fs::status(apr()).permissions(), fs::perms::owner_all | fs::perms::group_read);
}

TEST_F(InitDataTest, ClearsTheCorrectionTableAndSetsTheLineEnd) {
  std::memset(sentence::PyRc, 0x5A, sizeof sentence::PyRc);
  std::memset(sentence::EnterChr, 'x', sizeof sentence::EnterChr);
  ASSERT_EQ(sentence::InitData(), 0);
  for (unsigned char byte : sentence::PyRc) ASSERT_EQ(byte, 0);
  EXPECT_STREQ(sentence::EnterChr, "\r\n");
}

TEST_F(InitDataTest, WithoutADataFolderTheFailureIsReportedAndTheTablesStillStart) {
  engine_test::ScopedEnv relative_home("HOME", "relative/home");
  engine_test::reset_engine_caches();
  std::memset(sentence::PyRc, 0x5A, sizeof sentence::PyRc);
  EXPECT_EQ(sentence::InitData(), -1);
  EXPECT_FALSE(engine_test::LogCapture::lines().empty());
  EXPECT_EQ(sentence::PyRc[0], 0);
  EXPECT_FALSE(fs::exists("relative"));
  engine_test::reset_engine_caches();
}

}  // namespace
