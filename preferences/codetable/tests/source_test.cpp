// Reading code-table sources into pairs, and the checks that keep pairs the files cannot hold
// out of a table.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "code_source.h"
#include "codetable_fixture.h"
#include "table_data.h"

namespace {

using codetable::CheckPairs;
using codetable::CodePair;
using codetable::TagSrc;
using codetable_test::ScratchDir;
using codetable_test::write_file;

// (key, value, ordinal, line) of every pair read from `text`.
std::vector<std::tuple<std::string, std::string, unsigned, std::size_t>> pairs_of(const std::string& text) {
  ScratchDir dir;
  write_file(dir / "source.txt", text);
  std::vector<CodePair> pairs;
  std::string error;
  const long long count = TagSrc(&error, dir / "source.txt", &pairs);
  EXPECT_EQ(count, static_cast<long long>(pairs.size())) << error;
  std::vector<std::tuple<std::string, std::string, unsigned, std::size_t>> out;
  for (const CodePair& p : pairs) out.emplace_back(p.key, p.value, p.ordinal, p.line);
  return out;
}

struct SourceCase {
  const char* name;
  std::string text;
  std::vector<std::tuple<std::string, std::string, unsigned, std::size_t>> pairs;
};

void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.name; }

class SourceLines : public testing::TestWithParam<SourceCase> {};

TEST_P(SourceLines, GiveTheirPairs) { EXPECT_EQ(pairs_of(GetParam().text), GetParam().pairs); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceLines,
    testing::Values(
        SourceCase{"two_values", "ab x y\n", {{"ab", "x", 0, 1}, {"ab", "y", 1, 1}}},
        SourceCase{"runs_of_blanks_and_tabs", "ab  x \t y\n", {{"ab", "x", 0, 1}, {"ab", "y", 1, 1}}},
        SourceCase{"leading_blanks", "  \tab x\n", {{"ab", "x", 0, 1}}},
        SourceCase{"ordinals_count_pairs_over_lines",
                   "a x y\nb z\na w",
                   {{"a", "x", 0, 1}, {"a", "y", 1, 1}, {"b", "z", 2, 2}, {"a", "w", 3, 3}}},
        SourceCase{"comment_empty_and_lone_key", "# a x\n\nab\n   \nb y\n", {{"b", "y", 0, 5}}},
        // Only a "#" as the line's first byte comments it out.
        SourceCase{"indented_hash_is_a_code", " # x\n", {{"#", "x", 0, 1}}},
        SourceCase{"carriage_return_dropped", "ab x\r\nb y\r\n", {{"ab", "x", 0, 1}, {"b", "y", 1, 2}}},
        SourceCase{"utf8_kept_as_typed", "Zh 中 國\n", {{"Zh", "中", 0, 1}, {"Zh", "國", 1, 1}}}),
    [](const testing::TestParamInfo<SourceCase>& info) { return std::string(info.param.name); });

// A long line is one line: cutting it into pieces would make codes of its middle.
TEST(SourceLines, LongLineStaysOneLine) {
  std::string line = "k";
  for (int i = 0; i < 150; ++i) line += " v" + std::to_string(i);
  ASSERT_GT(line.size(), 600u);
  const auto pairs = pairs_of(line + "\nn last\n");
  ASSERT_EQ(pairs.size(), 151u);
  for (std::size_t i = 0; i < 150; ++i) {
    EXPECT_EQ(std::get<0>(pairs[i]), "k");
    EXPECT_EQ(std::get<1>(pairs[i]), "v" + std::to_string(i));
  }
  EXPECT_EQ(pairs[150], std::make_tuple(std::string("n"), std::string("last"), 150u, std::size_t{2}));
}

TEST(SourceLines, UnreadableOrOverlongSourceFails) {
  ScratchDir dir;
  std::vector<CodePair> pairs;
  std::string error;
  EXPECT_EQ(TagSrc(&error, dir / "missing.txt", &pairs), -1);
  EXPECT_EQ(error, "Open source file " + (dir / "missing.txt") + " failed!");

  write_file(dir / "long.txt", "a x\nk " + std::string(codetable::kMaxSourceLineBytes, 'v') + "\n");
  EXPECT_EQ(TagSrc(&error, dir / "long.txt", &pairs), -1);
  EXPECT_NE(error.find("Line 2"), std::string::npos) << error;
}

TEST(SourceLines, Utf8CheckRefusesMalformedText) {
  ScratchDir dir;
  const std::pair<std::string, bool> cases[] = {
      {"a 中\n", true}, {"a \xD6\xD0\n", false} /* GBK */, {"a \xE4\xB8\n", false} /* cut */,
      {"a \xC0\x80\n", false} /* overlong NUL */, {"a \xED\xA0\x80\n", false} /* surrogate */};
  for (const auto& [text, valid] : cases) {
    write_file(dir / "s.txt", text);
    EXPECT_EQ(codetable::IsUtf8File(dir / "s.txt"), valid) << text;
  }
}

struct CheckCase {
  const char* name;
  std::string key;
  std::string value;
  int version;
  const char* error_part;  // nullptr: accepted
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class PairChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(PairChecks, AcceptOrRefuseWithTheLine) {
  const CheckCase& c = GetParam();
  std::vector<CodePair> pairs = {{"a", "x", 0, 1}, {c.key, c.value, 1, 7}};
  std::string error;
  const bool ok = CheckPairs(pairs, c.version, &error);
  if (c.error_part == nullptr) {
    EXPECT_TRUE(ok) << error;
  } else {
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find(c.error_part), std::string::npos) << error;
    EXPECT_NE(error.find("line 7"), std::string::npos) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PairChecks,
    testing::Values(
        CheckCase{"code_of_63_bytes", std::string(63, 'k'), "x", 20, nullptr},
        CheckCase{"code_of_64_bytes", std::string(64, 'k'), "x", 20, "longer than 63 bytes"},
        CheckCase{"code_of_64_bytes_v10", std::string(64, 'k'), "x", 10, "longer than 63 bytes"},
        CheckCase{"text_of_179_bytes", "k", std::string(179, 't'), 20, nullptr},
        CheckCase{"text_of_180_bytes", "k", std::string(180, 't'), 20, "longer than 179 bytes"},
        CheckCase{"nul_in_text", "k", std::string("t\0t", 3), 20, "NUL byte"},
        CheckCase{"quote_in_code_v20", "it's", "x", 20, "Insert 'it's' to plug index failed!["},
        CheckCase{"quote_in_code_v10", "it's", "x", 10, nullptr},
        CheckCase{"quote_in_text", "k", "it's", 20, nullptr},
        CheckCase{"first_byte_key_taken_v10", "!!a", "x", 10, "reserved by the index"},
        CheckCase{"first_byte_key_free_v10", "!!q", "x", 10, nullptr},
        CheckCase{"first_byte_key_v20", "!!a", "x", 20, nullptr}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

}  // namespace
