// The extra codes as the editor's text: lines read into codes and codes written as lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codetable_fixture.h"
#include "extra_codes_text.h"

namespace {

using codetable::ExtraCode;

struct TextCase {
  const char* what;
  std::string text;
  std::vector<ExtraCode> codes;
};

TEST(ExtraCodesText, LinesBecomeCodes) {
  const std::vector<TextCase> cases = {
      {"key value count", "ab 啊 5\n", {{"ab", "啊", 5}}},
      {"no count stores 0", "ab 啊\n", {{"ab", "啊", 0}}},
      {"comment and key alone store nothing", "# ab 啊 5\nlonely\n   \n", {}},
      {"blanks and tabs anywhere", " \t ab\t \t啊  7  \n", {{"ab", "啊", 7}}},
      {"indented comment", "   # x y 1\nb 不\n", {{"b", "不", 0}}},
      {"carriage returns", "a x 1\r\nb y\r\n", {{"a", "x", 1}, {"b", "y", 0}}},
      {"last line without a line end", "a x 2", {{"a", "x", 2}}},
      {"count that is no number", "a x many\n", {{"a", "x", 0}}},
      {"count read from 8 characters", "a x 1234567890\n", {{"a", "x", 12345678}}},
      {"quotes kept", "it's l'été 3\n", {{"it's", "l'été", 3}}},
  };
  for (const TextCase& each : cases) {
    EXPECT_EQ(codetable::ParseExtraCodes(each.text), each.codes) << each.what;
  }
}

// Long fields are cut before the character that crosses the limit, never inside it.
TEST(ExtraCodesText, LongFieldsAreCutAtCharacters) {
  const std::string key = std::string(30, 'k') + "键";      // 33 bytes, limit 31
  const std::string value = std::string(125, 'v') + "值值";  // 131 bytes, limit 127
  const auto codes = codetable::ParseExtraCodes(key + " " + value + " 1\n");
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].key, std::string(30, 'k'));
  EXPECT_EQ(codes[0].value, std::string(125, 'v'));

  const std::string exact = std::string(28, 'k') + "键";  // 31 bytes: kept whole
  EXPECT_EQ(codetable::ParseExtraCodes(exact + " x")[0].key, exact);
  EXPECT_EQ(codetable::CutAtCharacter("ab键", 4), "ab");
  EXPECT_EQ(codetable::CutAtCharacter("ab键", 5), "ab键");
}

TEST(ExtraCodesText, WrittenTextReadsBackAsTheCodes) {
  const std::vector<ExtraCode> codes = {{"a", "啊", 5}, {"it's", "x'y", 0}, {"b", "不", 12}};
  const std::string text = codetable::FormatExtraCodes("# key value count\n", codes);
  EXPECT_EQ(text, "# key value count\na 啊 5\nit's x'y 0\nb 不 12\n");
  EXPECT_EQ(codetable::ParseExtraCodes(text), codes);
}

// Codes typed into the editor reach the database through its bound statements and come back
// as entered, quotes included.
TEST(ExtraCodesText, SavedTextReadsBackThroughTheDatabase) {
  codetable_test::ScratchDir dir;
  const std::string path = dir / "t.ex";
  const std::string typed = "# header\nab 啊 5\nit's l'été\nx'); drop table exdb; -- y 2\n";
  std::string error;
  ASSERT_TRUE(codetable::ReplaceExtraCodes(path, codetable::ParseExtraCodes(typed), &error)) << error;
  std::vector<ExtraCode> read;
  ASSERT_TRUE(codetable::ReadExtraCodes(path, &read, &error)) << error;
  EXPECT_EQ(read, (std::vector<ExtraCode>{{"ab", "啊", 5}, {"it's", "l'été", 0}, {"x');", "drop", 0}}));
}

}  // namespace
