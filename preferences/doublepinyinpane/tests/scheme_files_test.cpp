// The file rules behind the pane: which files are schemes, which names a scheme may have, free
// names for new ones, and reads and writes that never lose a file.
#include "preferences/doublepinyinpane/scheme_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/tests/test_support.h"

namespace dpypane {
namespace {

namespace fs = std::filesystem;

void write_file(const fs::path& path, const std::string& contents) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

std::vector<std::string> names(const std::vector<SchemeRecord>& schemes) {
  std::vector<std::string> listed;
  for (const SchemeRecord& scheme : schemes) listed.push_back(scheme.name);
  return listed;
}

TEST(SchemeFilesTest, OnlyTopLevelSchemeFilesOfTheFolderAreListedInNameOrder) {
  platform::testing_support::TempDir temp;
  const fs::path folder = temp.path() / "KEP";
  write_file(folder / "b.spc", "x");
  write_file(folder / "A.SPC", "x");
  write_file(folder / "c.Spc", "x");
  write_file(folder / "imkkep.plist", "x");
  write_file(folder / "spc", "x");
  write_file(folder / "Skins/inner.spc", "x");
  write_file(folder / "Dictionary/deep/inner.spc", "x");
  fs::create_directories(folder / "folder.spc");
  const std::vector<SchemeRecord> listed = list_schemes(folder, true);
  EXPECT_EQ(names(listed), (std::vector<std::string>{"A.SPC", "b.spc", "c.Spc"}));
  for (const SchemeRecord& scheme : listed) {
    EXPECT_EQ(scheme.base, folder);
    EXPECT_TRUE(scheme.user);
  }
  EXPECT_TRUE(list_schemes(temp.path() / "none", false).empty());
  EXPECT_TRUE(list_schemes({}, true).empty());
}

TEST(SchemeFilesTest, APlainFileNameNeitherClimbsNorHidesNorHoldsControls) {
  struct Case {
    std::string name;
    bool plain;
  };
  const std::vector<Case> cases = {
      {"x.spc", true},        {"my scheme.spc", true}, {"双拼.spc", true},
      {"", false},            {"../x.spc", false},     {"a/b.spc", false},
      {"..", false},          {".", false},            {".h.spc", false},
      {"/abs.spc", false},    {std::string("a\0b.spc", 7), false},
      {"a\nb.spc", false},    {"a\tb.spc", false},     {"a\x7f.spc", false},
      {"a\xc2\x85.spc", false}, {"bad\xff.spc", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_plain_file_name(c.name), c.plain) << c.name;
}

TEST(SchemeFilesTest, TheSchemeExtensionIsAddedUnlessPresentInSomeCase) {
  EXPECT_EQ(with_scheme_extension("x"), "x.spc");
  EXPECT_EQ(with_scheme_extension("x.txt"), "x.txt.spc");
  EXPECT_EQ(with_scheme_extension("x.spc"), "x.spc");
  EXPECT_EQ(with_scheme_extension("x.SPC"), "x.SPC");
  EXPECT_EQ(with_scheme_extension(".spc"), ".spc.spc");
}

TEST(SchemeFilesTest, ANameIsTakenByAnotherRowOrAnyFileOfTheFolderCaseAside) {
  platform::testing_support::TempDir temp;
  const fs::path folder = temp.path();
  write_file(folder / "mine.spc", "x");
  write_file(folder / "Unlisted.spc", "x");
  const std::vector<SchemeRecord> rows = {
      {"/shipped", "xiaohe.spc", false}, {folder, "mine.spc", true}, {folder, "new.spc", true}};
  EXPECT_TRUE(name_taken(rows, "XIAOHE.spc", 2, folder));
  EXPECT_TRUE(name_taken(rows, "Mine.SPC", 2, folder));
  EXPECT_TRUE(name_taken(rows, "unlisted.spc", 2, folder));
  EXPECT_FALSE(name_taken(rows, "free.spc", 2, folder));
  // A row's own name and file, in another case, are its own.
  EXPECT_FALSE(name_taken(rows, "MINE.spc", 1, folder));
  EXPECT_FALSE(name_taken(rows, "new.spc", 2, folder));
}

TEST(SchemeFilesTest, NewNamesSkipRowsAndFilesAndRunOutAfterAThousand) {
  platform::testing_support::TempDir temp;
  const fs::path folder = temp.path();
  std::vector<SchemeRecord> rows;
  EXPECT_EQ(free_new_name(rows, folder), "NewSPC.spc");
  rows.push_back({folder, "newspc.SPC", true});  // a row not yet written
  EXPECT_EQ(free_new_name(rows, folder), "NewSPC1.spc");
  write_file(folder / "NewSPC1.spc", "");
  EXPECT_EQ(free_new_name(rows, folder), "NewSPC2.spc");
  for (int number = 2; number < 1000; ++number) {
    write_file(folder / ("NewSPC" + std::to_string(number) + ".spc"), "");
  }
  EXPECT_EQ(free_new_name(rows, folder), std::nullopt);
}

TEST(SchemeFilesTest, AWriteReplacesTheWholeFileAndReadsBack) {
  platform::testing_support::TempDir temp;
  const SchemeRecord scheme{temp.path() / "Library/KEP", "x.spc", true};
  std::string why;
  ASSERT_TRUE(write_scheme(scheme, "[sm]\nzh=v\n", &why)) << why;
  ASSERT_TRUE(write_scheme(scheme, "[sm]\n", &why)) << why;
  EXPECT_EQ(read_file(scheme.file()), "[sm]\n");
  const ReadScheme read = read_scheme(scheme);
  EXPECT_EQ(read.outcome, ReadScheme::Outcome::Read);
  EXPECT_EQ(read.text, "[sm]\n");
  // No temporary file is left beside it.
  const std::vector<std::string> left = names_in(scheme.base);
  EXPECT_EQ(left, std::vector<std::string>{"x.spc"});
}

TEST(SchemeFilesTest, ShippedSchemesAndNamesThatAreNotPlainAreNeverWritten) {
  platform::testing_support::TempDir temp;
  write_file(temp.path() / "xiaohe.spc", "shipped");
  std::string why;
  EXPECT_FALSE(write_scheme({temp.path(), "xiaohe.spc", false}, "changed", &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(read_file(temp.path() / "xiaohe.spc"), "shipped");
  for (const char* name : {"../out.spc", "a/b.spc", ".h.spc"}) {
    fs::create_directories(temp.path() / "KEP/a");
    EXPECT_FALSE(write_scheme({temp.path() / "KEP", name, true}, "x", &why)) << name;
  }
  EXPECT_FALSE(fs::exists(temp.path() / "out.spc"));
  EXPECT_FALSE(fs::exists(temp.path() / "KEP/a/b.spc"));
  EXPECT_FALSE(fs::exists(temp.path() / "KEP/.h.spc"));
}

TEST(SchemeFilesTest, AFailedWriteLeavesWhatIsThereAndSaysWhy) {
  platform::testing_support::TempDir temp;
  // The file's place is a folder with something in it: no rename lands there, even for root.
  const SchemeRecord scheme{temp.path() / "KEP", "x.spc", true};
  write_file(scheme.file() / "inside", "kept");
  std::string why;
  EXPECT_FALSE(write_scheme(scheme, "new", &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(read_file(scheme.file() / "inside"), "kept");
  const std::vector<std::string> left = names_in(scheme.base);
  EXPECT_EQ(left, std::vector<std::string>{"x.spc"});
}

TEST(SchemeFilesTest, MissingUnreadableAndForeignFilesReadAsSuch) {
  platform::testing_support::TempDir temp;
  EXPECT_EQ(read_scheme({temp.path(), "none.spc", true}).outcome, ReadScheme::Outcome::Missing);
  write_file(temp.path() / "latin1.spc", "caf\xe9\n");
  EXPECT_EQ(read_scheme({temp.path(), "latin1.spc", true}).outcome,
            ReadScheme::Outcome::Unreadable);
  write_file(temp.path() / "huge.spc", std::string(kMaxSchemeBytes + 1, 'a'));
  EXPECT_EQ(read_scheme({temp.path(), "huge.spc", true}).outcome, ReadScheme::Outcome::Unreadable);
  write_file(temp.path() / "empty.spc", "");
  const ReadScheme empty = read_scheme({temp.path(), "empty.spc", true});
  EXPECT_EQ(empty.outcome, ReadScheme::Outcome::Read);
  EXPECT_EQ(empty.text, "");
}

}  // namespace
}  // namespace dpypane
