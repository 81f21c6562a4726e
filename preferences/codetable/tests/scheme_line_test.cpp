// The scheme line of a code table and the names of its files.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "codetable_fixture.h"
#include "scheme_line.h"

namespace {

using codetable::ParseSchemeLine;
using codetable::SchemeLine;
using codetable_test::ScratchDir;

SchemeLine scheme(int max, char wildcard, int autoc, int left, int match, int sort,
                  std::string header = "a-z", std::string other = "a-z") {
  return SchemeLine{max, wildcard, autoc, left, match, sort, std::move(header), std::move(other)};
}

struct LineCase {
  const char* name;
  std::string text;
  std::optional<SchemeLine> expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class SchemeLines : public testing::TestWithParam<LineCase> {};

TEST_P(SchemeLines, Parse) { EXPECT_EQ(ParseSchemeLine(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemeLines,
    testing::Values(
        LineCase{"six_fields_default_charsets", "4|?|1|0|1|0", scheme(4, '?', 1, 0, 1, 0)},
        LineCase{"eight_fields_keep_charsets", "5|*|0|1|0|1|a-y|0-9", scheme(5, '*', 0, 1, 0, 1, "a-y", "0-9")},
        LineCase{"line_end_is_not_a_field", "5|*|0|0|0|0\r\nmore|lines", scheme(5, '*', 0, 0, 0, 0)},
        LineCase{"wildcard_is_the_first_byte", "5|#x|0|0|0|0", scheme(5, '#', 0, 0, 0, 0)},
        LineCase{"empty_wildcard_is_none", "5||0|0|0|0", scheme(5, '\0', 0, 0, 0, 0)},
        LineCase{"numbers_read_their_leading_digits", " 12abc|*|x|1|0|0", scheme(12, '*', 0, 1, 0, 0)},
        LineCase{"five_fields", "5|*|0|0|0", std::nullopt},
        LineCase{"seven_fields", "5|*|0|0|0|0|a-z", std::nullopt},
        LineCase{"nine_fields", "5|*|0|0|0|0|a-z|a-z|x", std::nullopt},
        // Readers take 127 bytes: a field beyond them is not seen.
        LineCase{"only_127_bytes_read", "5|*|0|0|0|0|a-z|" + std::string(130, 'b') + "|x",
                 scheme(5, '*', 0, 0, 0, 0, "a-z", std::string(127 - 16, 'b'))}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(SchemeFile, WritesThePanesLineAndReadsItBack) {
  ScratchDir dir;
  const SchemeLine written = scheme(6, '?', 1, 0, 1, 1, "a-z", "a-z;");
  std::string error;
  ASSERT_TRUE(codetable::WriteSchemeFile(dir / "wb.pct", written, &error)) << error;
  EXPECT_EQ(codetable_test::read_file(dir / "wb.pct"), "6|?|1|0|1|1|a-z|a-z;");
  EXPECT_EQ(codetable::ReadSchemeFile(dir / "wb.pct"), written);
  // Nothing but the scheme file is left in the folder.
  EXPECT_EQ(codetable_test::folder_names(dir.path()), std::vector<std::string>{"wb.pct"});
}

TEST(SchemeFile, RefusesOptionsThatWouldNotReadBack) {
  ScratchDir dir;
  std::string error;
  EXPECT_FALSE(codetable::WriteSchemeFile(dir / "bar.pct", scheme(5, '|', 0, 0, 0, 0), &error));
  EXPECT_FALSE(codetable::WriteSchemeFile(dir / "nl.pct", scheme(5, '*', 0, 0, 0, 0, "a\nz"), &error));
  EXPECT_FALSE(codetable::WriteSchemeFile(dir / "long.pct", scheme(5, '*', 0, 0, 0, 0, std::string(120, 'a')),
                                          &error));
  EXPECT_TRUE(codetable_test::folder_names(dir.path()).empty());
}

TEST(SchemeNames, LastNameAndTableNames) {
  EXPECT_EQ(codetable::GetLastName("/x/y/wubi.pct", ".qdb"), "wubi.qdb");
  EXPECT_EQ(codetable::GetLastName("/x/y.d/wubi", ".idx"), "wubi.idx");
  EXPECT_EQ(codetable::GetLastName("a.b.pct", ".ex"), "a.b.ex");
  for (const char* good : {"wubi", "T", "五笔 86", "a.b", "x..y"}) EXPECT_TRUE(codetable::IsTableName(good)) << good;
  for (const char* bad : {"", ".", "..", "../wubi", "a/b", ".h", "tab\tname", "bell\a", "del\x7f"}) {
    EXPECT_FALSE(codetable::IsTableName(bad)) << bad;
  }
  EXPECT_FALSE(codetable::IsTableName(std::string("nul\0x", 5)));
  EXPECT_TRUE(codetable::IsTableName(std::string(codetable::kMaxTableNameBytes, 'n')));
  EXPECT_FALSE(codetable::IsTableName(std::string(codetable::kMaxTableNameBytes + 1, 'n')));
}

TEST(SchemeNames, WildcardIsOnePrintableAsciiCharacter) {
  for (const char* good : {"*", "?", "z", "~", "!"}) EXPECT_TRUE(codetable::IsWildcard(good)) << good;
  for (const char* bad : {"", "**", "é", "\xe9", " ", "|", "\t", "\x7f"}) {
    EXPECT_FALSE(codetable::IsWildcard(bad)) << bad;
  }
}

}  // namespace
