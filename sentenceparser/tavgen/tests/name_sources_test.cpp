#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sentenceparser/tavgen/friso_lexicon.h"
#include "sentenceparser/tavgen/name_lists_builder.h"
#include "tavgen_fixture.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gbs;

bool contains(const std::vector<GbkChar>& list, const char* utf8) {
  return std::find(list.begin(), list.end(), gb(utf8)) != list.end();
}

TEST(FrisoLexiconTest, WordsBeforeTheSlashWithoutCommentsOrBlankLines) {
  const std::string text = "#中文姓氏词库\n王\r\n\n 李 \n#向\n一一对应/null\n中英/英中\r\n/orphan\n";
  EXPECT_EQ(parse_friso_lexicon(text), (std::vector<std::string>{"王", "李", "一一对应", "中英"}));
  EXPECT_TRUE(parse_friso_lexicon("").empty());
  EXPECT_EQ(parse_friso_lexicon("末行"), std::vector<std::string>{"末行"});
}

TEST(FrisoLexiconTest, MissingFileIsAnError) {
  std::vector<std::string> words;
  std::string error;
  EXPECT_FALSE(load_friso_lexicon("/nonexistent/lex-main.lex", &words, &error));
  EXPECT_NE(error.find("lex-main.lex"), std::string::npos);
}

TEST(NameListsTest, SingleCharactersInFirstSeenOrder) {
  EXPECT_EQ(single_characters({"王", "欧阳", "李", "王", "𠀀", "x", "张"}), gbs("王李张"));
  EXPECT_EQ(comma_list(gbs("王李")), gbk_bytes(gbs("王")) + "," + gbk_bytes(gbs("李")));
  EXPECT_EQ(comma_list({}), "");
}

TEST(NameListsTest, ChineseListsComeFromTheNameLexicons) {
  NameLexicons lexicons;
  lexicons.surnames = {"王", "李", "欧阳", "张"};
  lexicons.single_given = {"敏", "伟"};
  lexicons.double_first = {"建", "伟"};
  lexicons.double_second = {"华", "敏"};
  const NameLists lists = build_name_lists(lexicons, {});
  EXPECT_EQ(lists.surnames, gbs("王李张"));
  EXPECT_EQ(lists.given, gbs("敏伟建华"));
}

// The UTF-8 text of a code point of the Basic Multilingual Plane.
std::string utf8_of(unsigned code) {
  std::string out;
  out += static_cast<char>(0xE0 | (code >> 12));
  out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (code & 0x3F));
  return out;
}

TEST(NameListsTest, ListsAreCappedKeepingTheLexiconsOrder) {
  NameLexicons lexicons;
  for (unsigned code = 0x4E00; code < 0x5200; ++code) lexicons.surnames.push_back(utf8_of(code));
  lexicons.single_given = lexicons.surnames;
  std::reverse(lexicons.single_given.begin(), lexicons.single_given.end());
  const std::vector<GbkChar> surnames = single_characters(lexicons.surnames);
  const std::vector<GbkChar> given = single_characters(lexicons.single_given);
  ASSERT_GT(surnames.size(), kGivenNameCharacterCount);
  const NameLists lists = build_name_lists(lexicons, {});
  EXPECT_EQ(lists.surnames, std::vector<GbkChar>(surnames.begin(), surnames.begin() + kSurnameCount));
  EXPECT_EQ(lists.given, std::vector<GbkChar>(given.begin(), given.begin() + kGivenNameCharacterCount));
}

TEST(NameListsTest, WesternListsCountPlacesInTranscribedNames) {
  NameLexicons lexicons;
  lexicons.western = {"克林顿", "布什"};
  // 斯密斯 is made of transcription characters; 中国人民 and 克林 (too short) are not names.
  const NameLists lists = build_name_lists(lexicons, {"斯密斯", "中国人民", "克林", "布林斯顿"});
  EXPECT_EQ(lists.western_names, 4u);  // 克林顿 布什 斯密斯 布林斯顿
  EXPECT_EQ(lists.western_first, gbs("布克斯"));  // 布 twice, then in code order
  EXPECT_TRUE(contains(lists.western_middle, "林"));
  EXPECT_TRUE(contains(lists.western_middle, "密"));
  EXPECT_TRUE(contains(lists.western_middle, "斯"));
  EXPECT_FALSE(contains(lists.western_middle, "克"));
  EXPECT_TRUE(contains(lists.western_last, "顿"));
  EXPECT_TRUE(contains(lists.western_last, "什"));
  EXPECT_FALSE(contains(lists.western_first, "中"));
  EXPECT_FALSE(contains(lists.western_last, "民"));
}

}  // namespace
}  // namespace tavgen
