#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tavgen_fixture.h"
#include "tools/kep-tavgen/tables_source_writer.h"

namespace tavgen {
namespace {

using testing::gbs;

// Reads back a run of adjacent C string literals (with newlines and blanks between them) the way
// a compiler joins them; fails the test on anything else.
std::string unescape_literals(const std::string& source) {
  std::string out;
  std::size_t i = 0;
  while (i < source.size()) {
    const char c = source[i];
    if (c == ' ' || c == '\n') {
      ++i;
      continue;
    }
    EXPECT_EQ(c, '"') << "outside a literal at " << i;
    if (c != '"') return out;
    for (++i; i < source.size() && source[i] != '"'; ++i) {
      if (source[i] != '\\') {
        out += source[i];
        continue;
      }
      ++i;
      if (source[i] != 'x') {
        out += source[i];
        continue;
      }
      // Like a compiler: every hex digit that follows belongs to the escape.
      std::size_t digits = 0;
      unsigned value = 0;
      while (std::isxdigit(static_cast<unsigned char>(source[i + 1]))) {
        value = value * 16 + std::stoi(std::string(1, source[++i]), nullptr, 16);
        ++digits;
      }
      EXPECT_EQ(digits, 2u) << "escape swallowing a following character";
      out += static_cast<char>(value & 0xFF);
    }
    ++i;  // closing quote
  }
  return out;
}

TEST(TablesSourceTest, LiteralsRoundTripArbitraryBytes) {
  const std::string cases[] = {
      gbk_bytes(gbs("中国人")),
      std::string("\xB0\xA1") + "abc123",  // hex digits right after an escape
      std::string("say \"hi\" \\ \t\n") + '\x7F',
      std::string(200, '\xFE'),
      "",
  };
  for (const std::string& bytes : cases) {
    for (std::size_t wrap : {0, 1, 7, 48}) {
      const std::string literal = c_string_literal(bytes, wrap, "  ");
      EXPECT_EQ(unescape_literals(literal), bytes) << literal;
    }
  }
  EXPECT_EQ(c_string_literal("\xB0\xA1" "a", 0), "\"\\xB0\\xA1\" \"a\"");
}

TEST(TablesSourceTest, SourceDefinesEveryTableInOrder) {
  LetterLists letters;
  for (std::size_t i = 0; i < letters.size(); ++i) letters[i] = gbs(i % 2 ? "不" : "安按");
  const std::vector<CertaintyEntry> certainties = {{"a", 83}, {"ba", 61}, {"zuo", 77}};
  const std::vector<AccentEntry> additions = {{"an", gbs("昂")}, {"zi", gbs("制之")}};
  NameLists names;
  names.surnames = gbs("王李");
  names.given = gbs("明");
  names.western_first = gbs("克");
  names.western_middle = gbs("林里");
  names.western_last = gbs("顿");
  const std::string source = write_tables_source(letters, certainties, additions, names);

  EXPECT_NE(source.find("#include \"sentenceparser/core/generated_tables.h\""), std::string::npos);
  EXPECT_NE(source.find("namespace sentence::generated {"), std::string::npos);
  EXPECT_NE(source.find("const char* const kLetterLists[26] = {"), std::string::npos);
  EXPECT_NE(source.find("{\"ba\", 61},"), std::string::npos);
  EXPECT_NE(source.find("kSyllableCertaintyCount = sizeof kSyllableCertainty"), std::string::npos);
  EXPECT_NE(source.find("kAccentAdditionsCount = sizeof kAccentAdditions"), std::string::npos);

  // The letter lists in order a..z, each one literal (possibly split) after its comment.
  const std::regex letter_entry("// ([a-z]): ([0-9]+)\n    ((?:\"[^\"]*\"\\s*)+),");
  std::size_t letter = 0;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), letter_entry); it != std::sregex_iterator();
       ++it, ++letter) {
    ASSERT_LT(letter, letters.size());
    EXPECT_EQ((*it)[1].str(), std::string(1, static_cast<char>('a' + letter)));
    EXPECT_EQ(std::stoul((*it)[2].str()), letters[letter].size());
    EXPECT_EQ(unescape_literals((*it)[3].str()), gbk_bytes(letters[letter]));
  }
  EXPECT_EQ(letter, 26u);

  const std::regex addition_entry("\\{\"([a-z]+)\",\n\\s*((?:\"[^\"]*\"\\s*)+)\\},");
  std::vector<std::pair<std::string, std::string>> found;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), addition_entry); it != std::sregex_iterator(); ++it) {
    found.emplace_back((*it)[1].str(), unescape_literals((*it)[2].str()));
  }
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], std::pair(std::string("an"), gbk_bytes(gbs("昂"))));
  EXPECT_EQ(found[1], std::pair(std::string("zi"), gbk_bytes(gbs("制之"))));

  // The name lists, comma-separated GBK characters, in the order the core declares them.
  const std::regex list_entry("const char\\* const (k[A-Za-z]+) =\n\\s*((?:\"[^\"]*\"\\s*)+);");
  std::vector<std::pair<std::string, std::string>> lists;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), list_entry); it != std::sregex_iterator(); ++it) {
    lists.emplace_back((*it)[1].str(), unescape_literals((*it)[2].str()));
  }
  const std::string comma = ",";
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"kSurnames", gbk_bytes(gbs("王")) + comma + gbk_bytes(gbs("李"))},
      {"kGivenNameCharacters", gbk_bytes(gbs("明"))},
      {"kWesternFirst", gbk_bytes(gbs("克"))},
      {"kWesternMiddle", gbk_bytes(gbs("林")) + comma + gbk_bytes(gbs("里"))},
      {"kWesternLast", gbk_bytes(gbs("顿"))}};
  EXPECT_EQ(lists, expected);
}

}  // namespace
}  // namespace tavgen
