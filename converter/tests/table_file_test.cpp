#include "converter/table_file.h"

#include <gtest/gtest.h>

#include <set>

#include "converter/table_scramble.h"
#include "converter/tests/fixture_tables.h"
#include "platform/tests/test_support.h"

namespace converter::table_file {
namespace {

using platform::testing_support::TempDir;
using testing::gb;
using testing::LogCapture;

void write_raw(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code error;
  ASSERT_TRUE(platform::files::write_atomic(path, bytes, error)) << error.message();
}

std::string stored_line(std::string_view plain) { return scramble(plain) + "\n"; }

TEST(ScrambleTest, IsAPermutationOfTheHighBytesOnly) {
  std::set<int> images;
  for (int b = 0; b < 256; ++b) {
    int image = kScramble[b];
    if (b < 0x30) EXPECT_EQ(image, b);
    else EXPECT_GE(image, 0x30);
    EXPECT_EQ(kUnscramble[image], b);
    images.insert(image);
  }
  EXPECT_EQ(images.size(), 256u);
  int unchanged = 0;
  for (int b = 0x30; b < 256; ++b) unchanged += kScramble[b] == b;
  EXPECT_LT(unchanged, 4);  // it actually hides the text
}

TEST(TableFileTest, WrittenTablesReadBackTheSame) {
  TempDir dir;
  auto tables = testing::build_fixture_tables();
  std::error_code error;
  ASSERT_TRUE(write_char_table(dir.path() / "han.db", tables.characters, error));
  ASSERT_TRUE(write_fix_table(dir.path() / "corefix1.db", tables.fixes.first, error));

  Gb18030Codec codec;
  LogCapture log;
  CharTable characters;
  FixTable fixes;
  ASSERT_TRUE(load_char_table(dir.path() / "han.db", characters, codec));
  ASSERT_TRUE(load_fix_table(dir.path() / "corefix1.db", fixes, codec));
  EXPECT_EQ(characters.version, tables.characters.version);
  EXPECT_EQ(characters.sorted_entries(), tables.characters.sorted_entries());
  EXPECT_EQ(fixes.version, tables.fixes.first.version);
  EXPECT_EQ(format_fix_table(fixes), format_fix_table(tables.fixes.first));
  EXPECT_TRUE(log.contains(">> Total 9 records loaded from hzdb."));  // 8 characters + version

  // The stored bytes do not show the text.
  std::string stored = *platform::files::read_file(dir.path() / "corefix1.db", error);
  EXPECT_EQ(stored.find(gb("頭髮")), std::string::npos);
}

TEST(TableFileTest, FixTableLinesAreCheckedOneByOne) {
  TempDir dir;
  std::string file = "# comment lines are not substituted\n" + stored_line("version 7") +
                     stored_line(">" + gb("頭發") + " " + gb("頭髮") + " 2 0") +  // no section yet
                     "!" + scramble(gb("發")) + "\r\n" +                         // CR LF ends
                     stored_line(">" + gb("頭發") + " " + gb("頭髮") + " 2 0") +  // good
                     stored_line(">" + gb("頭發") + " " + gb("頭髮") + " 0 2") +  // window mismatch
                     stored_line(">" + gb("頭發") + " " + gb("頭髮") + " 2") +    // three fields
                     stored_line(">" + gb("頭發") + " " + gb("頭髮") + " 200 0") + // too far back
                     stored_line(">" + gb("頭發") + "  2 0") +                    // empty field
                     stored_line(">" + std::string(1100, 'x')) +                   // too long
                     stored_line("!" + gb("頭發")) +                               // two characters
                     stored_line(">" + gb("白頭發") + " " + gb("白頭髮") + " 4 0") + // no section
                     stored_line("!" + gb("髮")) +
                     stored_line(">" + gb("髮夾") + " " + gb("發夾") + " 0 2");
  write_raw(dir.path() / "fix.db", file);

  Gb18030Codec codec;
  LogCapture log;
  FixTable table;
  ASSERT_TRUE(load_fix_table(dir.path() / "fix.db", table, codec));
  EXPECT_EQ(table.version, std::optional<std::string>("version 7"));
  EXPECT_EQ(table.section_count(), 2u);
  EXPECT_EQ(table.entry_count(), 2u);
  int invalid = 0;
  for (const std::string& line : log.lines()) invalid += line.starts_with("Invalid line");
  EXPECT_EQ(invalid, 7);
  EXPECT_TRUE(log.contains("too long"));
  EXPECT_TRUE(log.contains(">> Total 3 items loaded."));
}

TEST(TableFileTest, CharacterTableNeedsOneCharacterAndOneTextPerLine) {
  TempDir dir;
  std::string file = stored_line("chars 2") + stored_line(gb("发") + " " + gb("發")) +
                     stored_line(gb("头发") + " " + gb("頭髮")) +         // not one character
                     stored_line(gb("干") + "  " + gb("幹")) +            // two blanks
                     stored_line(gb("净") + " " + gb("淨") + " x") +      // three parts
                     stored_line("\x81\x20" + gb("淨")) +                 // does not decode
                     stored_line(gb("后") + " " + gb("後"));
  write_raw(dir.path() / "han.db", file);
  Gb18030Codec codec;
  LogCapture log;
  CharTable table;
  ASSERT_TRUE(load_char_table(dir.path() / "han.db", table, codec));
  EXPECT_EQ(table.version, std::optional<std::string>("chars 2"));
  EXPECT_EQ(table.size(), 2u);
  EXPECT_TRUE(log.contains("failed! 4"));
}

TEST(TableFileTest, TablesThatDoNotHoldWhatTheirHeaderSaysAreRefused) {
  for (const testing::DamagedTable& damaged : testing::damaged_tables()) {
    TempDir dir;
    testing::write_damaged_fixture_tables(dir.path(), damaged);
    Gb18030Codec codec;
    LogCapture log;
    const auto path = dir.path() / damaged.file;
    bool loaded = false;
    if (std::string_view(damaged.file) == "han.db") {
      CharTable table;
      loaded = load_char_table(path, table, codec);
    } else {
      FixTable table;
      loaded = load_fix_table(path, table, codec);
    }
    EXPECT_FALSE(loaded) << damaged.file << ": " << damaged.what;
    EXPECT_TRUE(log.contains(damaged.reason)) << damaged.file << ": " << damaged.what;
  }
}

TEST(TableFileTest, TheWrittenHeaderCountsTheLinesAfterTheVersion) {
  auto tables = testing::build_fixture_tables();
  const std::string characters = format_char_table(tables.characters);
  const std::string fixes = format_fix_table(tables.fixes.first);
  EXPECT_NE(characters.find("\n# Records: 8\n"), std::string::npos);
  const std::size_t lines = tables.fixes.first.section_count() + tables.fixes.first.entry_count();
  EXPECT_NE(fixes.find("\n# Records: " + std::to_string(lines) + "\n"), std::string::npos);
}

TEST(TableFileTest, UserFixFilesArePlainText) {
  TempDir dir;
  write_raw(dir.path() / "user.txt", "# mine\r\n" + gb("乾淨 干淨") + "\r\n" + gb("壞") + "\n" +
                                         gb("頭髮 頭髮兒") + "\n");
  Gb18030Codec codec;
  LogCapture log;
  UserFixTable table;
  ASSERT_TRUE(load_user_fixes(dir.path() / "user.txt", table, codec));
  EXPECT_EQ(table.size(), 2u);
  EXPECT_TRUE(log.contains("Invalid line [壞]."));
}

TEST(TableFileTest, MissingFilesFailToLoad) {
  TempDir dir;
  Gb18030Codec codec;
  CharTable characters;
  FixTable fixes;
  UserFixTable user;
  EXPECT_FALSE(load_char_table(dir.path() / "none.db", characters, codec));
  EXPECT_FALSE(load_fix_table(dir.path() / "none.db", fixes, codec));
  EXPECT_FALSE(load_user_fixes(dir.path(), user, codec));  // a folder is not a table
}

}  // namespace
}  // namespace converter::table_file
