#include "candidatewindow/skin/skin_package.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "candidatewindow/skin/tests/zip_fixture.h"
#include "platform/text.h"

namespace fs = std::filesystem;
using kepskin::testing::read_bytes;
using kepskin::testing::write_zip;
using kepskin::testing::ZipEntry;

namespace {

class SkinPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "skin-package-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    skins_ = scratch_ / "Skins";
    fs::create_directories(skins_);
    fs::create_directories(scratch_ / "packages");
  }
  void TearDown() override { fs::remove_all(scratch_); }

  fs::path package(const std::string& file_name, const std::vector<ZipEntry>& entries) {
    fs::path path = scratch_ / "packages" / file_name;
    write_zip(path, entries);
    return path;
  }

  // Every path under the scratch folder except the packages themselves.
  std::set<std::string> tree() const {
    std::set<std::string> paths;
    for (const auto& item : fs::recursive_directory_iterator(scratch_)) {
      std::string relative = fs::relative(item.path(), scratch_).string();
      if (relative.rfind("packages", 0) != 0) paths.insert(relative);
    }
    return paths;
  }

  fs::path scratch_;
  fs::path skins_;
};

mode_t permissions_of(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

const ZipEntry kIni{"skin.ini", "[scheme_h1]\npic=bg.png\n"};
const ZipEntry kPicture{"bg.png", std::string("\x89PNG\r\n\x1a\n", 8) + "pixels"};

TEST_F(SkinPackageTest, GoodPackageInstallsItsFilesWithFixedModes) {
  const fs::path archive = package("Blue.ssf", {kIni, {"pics/"}, {"pics/a.png", "A"}, kPicture});
  const mode_t saved_umask = ::umask(077);  // the modes must not depend on the caller's umask
  std::string error;
  auto installed = kepskin::install_skin_package(archive, skins_, error);
  ::umask(saved_umask);

  ASSERT_TRUE(installed) << error;
  EXPECT_EQ(*installed, skins_ / "Blue");
  EXPECT_EQ(read_bytes(skins_ / "Blue/skin.ini"), kIni.data);
  EXPECT_EQ(read_bytes(skins_ / "Blue/bg.png"), kPicture.data);
  EXPECT_EQ(read_bytes(skins_ / "Blue/pics/a.png"), "A");
  EXPECT_EQ(permissions_of(skins_ / "Blue"), 0755u);
  EXPECT_EQ(permissions_of(skins_ / "Blue/pics"), 0755u);
  EXPECT_EQ(permissions_of(skins_ / "Blue/skin.ini"), 0644u);
  EXPECT_EQ(permissions_of(skins_ / "Blue/pics/a.png"), 0644u);
  EXPECT_EQ(tree(), (std::set<std::string>{"Skins", "Skins/Blue", "Skins/Blue/skin.ini", "Skins/Blue/bg.png",
                                           "Skins/Blue/pics", "Skins/Blue/pics/a.png"}));
}

TEST_F(SkinPackageTest, OneTopLevelFolderIsDroppedFromEveryPath) {
  const fs::path archive =
      package("Red.ssf", {{"Red Skin/"}, {"Red Skin/skin.ini", kIni.data}, {"Red Skin/img/bg.png", "P"}});
  std::string error;
  ASSERT_TRUE(kepskin::install_skin_package(archive, skins_, error)) << error;
  EXPECT_EQ(tree(), (std::set<std::string>{"Skins", "Skins/Red", "Skins/Red/skin.ini", "Skins/Red/img",
                                           "Skins/Red/img/bg.png"}));
}

TEST_F(SkinPackageTest, PackageWithoutDescriptionIsNoSkin) {
  const std::vector<std::vector<ZipEntry>> cases = {
      {kPicture},
      {{"a/skin.ini", "x"}, {"b/bg.png", "y"}},  // two top-level folders
      {{"a/skin.ini", "x"}, {"bg.png", "y"}},    // a file beside the folder
      {{"a/b/skin.ini", "x"}},                   // too deep
      {{"a/"}},
  };
  for (const auto& entries : cases) {
    const fs::path archive = package("None.ssf", entries);
    std::string error;
    EXPECT_FALSE(kepskin::install_skin_package(archive, skins_, error)) << entries.front().name;
    EXPECT_NE(error.find("skin.ini"), std::string::npos) << error;
    EXPECT_EQ(tree(), std::set<std::string>{"Skins"}) << entries.front().name;
  }
}

TEST_F(SkinPackageTest, HostileEntriesRefuseTheWholePackage) {
  struct Case {
    const char* what;
    ZipEntry entry;
  };
  const std::vector<Case> cases = {
      {"parent", {"../x", "owned"}},
      {"absolute", {"/etc/x", "owned"}},
      {"nested parent", {"a/../../x", "owned"}},
      {"backslash parent", {"..\\x", "owned"}},
      {"backslash nested", {"a\\..\\..\\x", "owned"}},
      {"symbolic link", {"link", "/etc/passwd", S_IFLNK | 0777}},
      {"fifo", {"pipe", "", S_IFIFO | 0644}},
      {"character device", {"tty", "", S_IFCHR | 0644}},
      {"block device", {"disk", "", S_IFBLK | 0644}},
      {"socket", {"sock", "", S_IFSOCK | 0644}},
      {"file clashing with a folder", {"pics/a.png/b", "x"}},
  };
  for (const Case& test : cases) {
    // Good entries come first, so a lazy check would already have written them.
    const fs::path archive = package("Evil.ssf", {kIni, kPicture, {"pics/a.png", "A"}, test.entry});
    std::string error;
    EXPECT_FALSE(kepskin::install_skin_package(archive, skins_, error)) << test.what;
    EXPECT_FALSE(error.empty()) << test.what;
    EXPECT_EQ(tree(), std::set<std::string>{"Skins"}) << test.what;
  }
}

TEST_F(SkinPackageTest, NamesWithControlCharactersRefuseTheWholePackage) {
  // A name in GB 18030 that decodes to U+0085 (next line), a C1 control character.
  const auto gb_next_line = platform::text::from_utf8("bg\xC2\x85.png", platform::text::Encoding::Gb18030);
  ASSERT_TRUE(gb_next_line);
  ZipEntry gb_entry{*gb_next_line, "P"};
  struct Case {
    const char* what;
    ZipEntry entry;
  };
  const std::vector<Case> cases = {
      {"line end", {"bg\n.png", "P"}},
      {"carriage return", {"bg\r.png", "P"}},
      {"tab", {"bg\t.png", "P"}},
      {"escape", {"\x1b[31mbg.png", "P"}},
      {"bell", {"bg\x07.png", "P"}},
      {"delete", {"bg\x7f.png", "P"}},
      {"C1 introducer", {"bg\xC2\x9B" "2J.png", "P"}},
      {"in a folder's name", {"pics\x1b/a.png", "P"}},
      {"a folder entry", {"pics\n/"}},
      {"C1 from GB 18030", gb_entry},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    // libzip flags a name as UTF-8 only without C0 controls other than line ends and tabs;
    // the others, and names that are no UTF-8 at all, are stored unflagged, as their bytes.
    ZipEntry entry = test.entry;
    entry.raw_name = !platform::text::is_valid_utf8(entry.name) ||
                     entry.name.find_first_of("\x01\x02\x03\x04\x05\x06\x07\x08\x0b\x0c\x0e\x0f\x10\x11\x12\x13"
                                              "\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f") != std::string::npos;
    // Good entries come first, so a lazy check would already have written them.
    const fs::path archive = package("Ctl.ssf", {kIni, kPicture, entry});
    std::string error;
    EXPECT_FALSE(kepskin::install_skin_package(archive, skins_, error));
    EXPECT_NE(error.find("control character"), std::string::npos) << error;
    // The message names the entry without the character itself.
    EXPECT_EQ(error.find_first_of("\n\r\t\x1b\x07\x7f"), std::string::npos) << error;
    EXPECT_EQ(error.find("\xC2"), std::string::npos) << error;
    EXPECT_EQ(tree(), std::set<std::string>{"Skins"});
    std::string message;
    EXPECT_EQ(kepskin::extractSkinFile(archive.string(), (scratch_ / "x").string(), message),
              kepskin::kPackageRefused);
    EXPECT_FALSE(fs::exists(scratch_ / "x"));
  }
  // A no-break space (U+00A0) sits just past the C1 range and is an ordinary character.
  std::string error;
  EXPECT_TRUE(kepskin::install_skin_package(package("Nbsp.ssf", {kIni, {"bg\xC2\xA0.png", "P"}}), skins_, error))
      << error;
  EXPECT_EQ(read_bytes(skins_ / "Nbsp" / "bg\xC2\xA0.png"), "P");
}

TEST_F(SkinPackageTest, BoundsOnEntriesAndSizes) {
  std::vector<ZipEntry> many = {kIni};
  for (int i = 0; i < 4096; ++i) many.push_back({"f" + std::to_string(i), ""});
  const fs::path crowded = package("Many.ssf", many);
  std::string error;
  EXPECT_FALSE(kepskin::install_skin_package(crowded, skins_, error));
  EXPECT_NE(error.find("4096"), std::string::npos) << error;
  EXPECT_EQ(tree(), std::set<std::string>{"Skins"});

  kepskin::PackageLimits limits;
  limits.max_entry_bytes = 100;
  limits.max_total_bytes = 250;
  const std::string hundred(100, 'x');
  struct Case {
    const char* what;
    std::vector<ZipEntry> entries;
    bool installs;
  };
  const std::vector<Case> cases = {
      {"entry at the bound", {kIni, {"a", hundred}}, true},
      {"entry over the bound", {kIni, {"a", hundred + "x"}}, false},
      {"total over the bound", {kIni, {"a", hundred}, {"b", hundred}, {"c", hundred}}, false},
  };
  for (const Case& test : cases) {
    fs::remove_all(skins_ / "Sized");
    const fs::path archive = package("Sized.ssf", test.entries);
    error.clear();
    EXPECT_EQ(kepskin::install_skin_package(archive, skins_, error, limits).has_value(), test.installs)
        << test.what << ": " << error;
    EXPECT_EQ(fs::exists(skins_ / "Sized"), test.installs) << test.what;
    EXPECT_EQ(fs::exists(skins_ / "Sized/a"), test.installs) << test.what;
  }
}

TEST_F(SkinPackageTest, DeclaredSizesThatLieAreRefused) {
  // Holds 1000 bytes but declares 10: reading must stop, not trust the data.
  const fs::path understated = package("Lie.ssf", {kIni, {"bg.png", std::string(1000, 'p'), {}, true}});
  kepskin::testing::patch_declared_size(understated, "bg.png", 10);
  // Declares more than an entry may hold: refused before anything is read.
  const fs::path overstated = package("Huge.ssf", {kIni, {"bg.png", std::string(1000, 'p'), {}, true}});
  kepskin::testing::patch_declared_size(overstated, "bg.png", (32u << 20) + 1);

  const std::vector<std::pair<fs::path, std::string>> cases = {{understated, "more than the 10 bytes"},
                                                                 {overstated, "larger than"}};
  for (const auto& [archive, reason] : cases) {
    std::string error;
    EXPECT_FALSE(kepskin::install_skin_package(archive, skins_, error)) << archive;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(tree(), std::set<std::string>{"Skins"}) << archive;
  }
}

TEST_F(SkinPackageTest, ReinstallReplacesAndAFailedOneKeepsTheOld) {
  std::string error;
  ASSERT_TRUE(kepskin::install_skin_package(package("Blue.ssf", {{"skin.ini", "v1"}, {"old.png", "o"}}), skins_, error))
      << error;
  ASSERT_TRUE(kepskin::install_skin_package(package("Blue.ssf", {{"skin.ini", "v2"}}), skins_, error)) << error;
  EXPECT_EQ(read_bytes(skins_ / "Blue/skin.ini"), "v2");
  EXPECT_EQ(tree(), (std::set<std::string>{"Skins", "Skins/Blue", "Skins/Blue/skin.ini"}));

  const fs::path hostile = package("Blue.ssf", {{"skin.ini", "v3"}, {"../x", "owned"}});
  EXPECT_FALSE(kepskin::install_skin_package(hostile, skins_, error));
  const fs::path damaged = package("Blue.ssf", {{"skin.ini", std::string(5000, 'v')}});
  const std::string bytes = read_bytes(damaged);
  kepskin::testing::write_bytes(damaged, bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(kepskin::install_skin_package(damaged, skins_, error));
  EXPECT_EQ(read_bytes(skins_ / "Blue/skin.ini"), "v2");
  EXPECT_EQ(tree(), (std::set<std::string>{"Skins", "Skins/Blue", "Skins/Blue/skin.ini"}));
}

TEST_F(SkinPackageTest, DamagedArchivesFailCleanly) {
  const fs::path good = package("Good.ssf", {kIni, {"bg.png", std::string(4000, 'q')}});
  const std::string bytes = read_bytes(good);
  for (std::size_t keep : {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size() - 10}) {
    const fs::path damaged = scratch_ / "packages" / "Damaged.ssf";
    kepskin::testing::write_bytes(damaged, bytes.substr(0, keep));
    std::string message;
    EXPECT_EQ(kepskin::extractSkinFile(damaged.string(), (skins_ / "Damaged").string(), message),
              kepskin::kPackageUnreadable)
        << keep;
    EXPECT_FALSE(message.empty()) << keep;
    EXPECT_EQ(tree(), std::set<std::string>{"Skins"}) << keep;
  }
  // A data byte changed in place: the checksum no longer matches.
  const fs::path stored = package("Flip.ssf", {kIni, {"bg.png", std::string(4000, 'q'), {}, true}});
  std::string flipped = read_bytes(stored);
  flipped[flipped.find(std::string(100, 'q')) + 50] = 'Q';
  kepskin::testing::write_bytes(stored, flipped);
  std::string message;
  EXPECT_EQ(kepskin::extractSkinFile(stored.string(), (skins_ / "Flip").string(), message), kepskin::kPackageUnreadable);
  EXPECT_EQ(tree(), std::set<std::string>{"Skins"});
}

TEST_F(SkinPackageTest, ExtractUnpacksAsIsAndReportsRefusals) {
  const fs::path archive = package("Plain.ssf", {{"top/"}, {"top/readme", "r"}, {"note", "n"}});
  std::string message;
  ASSERT_EQ(kepskin::extractSkinFile(archive.string(), (skins_ / "Plain").string(), message), 0) << message;
  EXPECT_EQ(read_bytes(skins_ / "Plain/top/readme"), "r");
  EXPECT_EQ(read_bytes(skins_ / "Plain/note"), "n");

  const fs::path link = package("Link.ssf", {{"note", "n"}, {"l", "/", S_IFLNK | 0777}});
  EXPECT_EQ(kepskin::extractSkinFile(link.string(), (skins_ / "Link").string(), message), kepskin::kPackageRefused);
  EXPECT_NE(message.find("link"), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(skins_ / "Link"));

  EXPECT_EQ(kepskin::extractSkinFile((scratch_ / "missing.ssf").string(), (skins_ / "Missing").string(), message),
            kepskin::kPackageUnreadable);
  EXPECT_EQ(kepskin::extractSkinFile(archive.string(), (scratch_ / "no/such/parent/x").string(), message),
            kepskin::kPackageDestinationFailed);
}

TEST_F(SkinPackageTest, NamesInGb18030AreStoredAsUtf8) {
  const std::string utf8 = "\xE8\x83\x8C\xE6\x99\xAF.png";  // 背景.png
  const auto gb = platform::text::from_utf8(utf8, platform::text::Encoding::Gb18030);
  ASSERT_TRUE(gb);
  ASSERT_NE(*gb, utf8);
  ZipEntry picture{*gb, "P"};
  picture.raw_name = true;
  std::string error;
  ASSERT_TRUE(kepskin::install_skin_package(package("Gb.ssf", {kIni, picture}), skins_, error)) << error;
  EXPECT_EQ(read_bytes(skins_ / "Gb" / utf8), "P");
}

TEST(SkinNameTest, NameComesFromThePackageFileName) {
  struct Case {
    const char* archive;
    std::optional<std::string> name;
  };
  const std::vector<Case> cases = {
      {"Blue.ssf", "Blue"},       {"/p/Blue.SSF", "Blue"}, {"dir/x.y.ssf", "x.y"}, {"plain", "plain"},
      {"a.zip", "a.zip"},         {".ssf", std::nullopt},  {"..ssf", std::nullopt}, {"...ssf", std::nullopt},
      {".hidden.ssf", std::nullopt}, {"dir/", std::nullopt}, {"..", std::nullopt},
      {"x.ssf.ssf", "x.ssf"},
      {"a\nb.ssf", std::nullopt}, {"\x1b[31mRed.ssf", std::nullopt}, {"Red\x7f.ssf", std::nullopt},
      {"Red\xC2\x9B.ssf", std::nullopt}, {"Red\xC2\xA0.ssf", "Red\xC2\xA0"},
  };
  for (const Case& test : cases) EXPECT_EQ(kepskin::skin_name_for_package(test.archive), test.name) << test.archive;
  EXPECT_FALSE(kepskin::skin_name_for_package(std::string(256, 'n') + ".ssf"));
  EXPECT_EQ(kepskin::skin_name_for_package(std::string(255, 'n') + ".ssf"), std::string(255, 'n'));
}

TEST(SkinsFolderTest, LivesInTheDataFolderAndIsCreated) {
  std::string pattern = (fs::temp_directory_path() / "skin-home-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path home = pattern;
  const char* old = std::getenv("HOME");
  const std::string saved = old ? old : "";

  ::setenv("HOME", home.c_str(), 1);
  ime_datafolder_reset_for_testing();
  std::string error;
  auto folder = kepskin::skins_folder(error);
  ASSERT_TRUE(folder) << error;
  EXPECT_EQ(*folder, home / "Library/KEP/Skins");
  EXPECT_TRUE(fs::is_directory(*folder));
  EXPECT_EQ(permissions_of(*folder), 0755u);
  EXPECT_EQ(permissions_of(home / "Library/KEP"), 0700u);

  ::setenv("HOME", "relative/home", 1);
  ime_datafolder_reset_for_testing();
  EXPECT_FALSE(kepskin::skins_folder(error));
  EXPECT_FALSE(error.empty());

  if (old) ::setenv("HOME", saved.c_str(), 1); else ::unsetenv("HOME");
  ime_datafolder_reset_for_testing();
  fs::remove_all(home);
}

}  // namespace
