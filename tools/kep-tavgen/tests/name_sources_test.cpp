#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/friso_lexicon.h"
#include "tools/kep-tavgen/name_lists_builder.h"

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

TEST(NameListsTest, ShapedListKeepsItsFixedEndsAndFillsFromTheCandidatesInOrder) {
  const NameListShape shape = {6, "阿艾", "瞿", "王"};
  // 埃 sorts before the last head character and 麟 after the tail: neither may join.
  const std::vector<GbkChar> list = shaped_list(shape, gbs("埃王李麟张刘陈"));
  EXPECT_EQ(list, gbs("阿艾李王张瞿"));  // GB2312 order
  EXPECT_EQ(shaped_list(shape, gbs("埃李")), gbs("阿艾李王瞿"));  // the candidates ran out
  EXPECT_EQ(shaped_list({3, "", "", ""}, gbs("王李张刘")), gbs("李王张"));
}

TEST(NameListsTest, ChineseListsComeFromTheNameLexicons) {
  NameLexicons lexicons;
  lexicons.surnames = {"欧阳", "钱", "孙"};
  lexicons.single_given = {"敏"};
  lexicons.double_first = {"建"};
  lexicons.double_second = {"敏", "涛"};
  const NameLists lists = build_name_lists(lexicons, {});
  EXPECT_EQ(lists.surnames, shaped_list(kSurnameShape, gbs("钱孙")));
  EXPECT_TRUE(contains(lists.surnames, "钱") && !contains(lists.surnames, "欧"));
  EXPECT_EQ(lists.given, shaped_list(kGivenNameShape, gbs("敏涛建")));
  EXPECT_TRUE(contains(lists.given, "涛") && contains(lists.given, "建"));
}

// The UTF-8 text of a GB2312 character.
std::string utf8_of_gbk(GbkChar code) {
  return platform::text::to_utf8(gbk_bytes({code}), platform::text::Encoding::Gbk).value();
}

// The UTF-8 text of a code point of the Basic Multilingual Plane.
std::string utf8_of(unsigned code) {
  std::string out;
  out += static_cast<char>(0xE0 | (code >> 12));
  out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (code & 0x3F));
  return out;
}

TEST(NameListsTest, ListsReachTheirSizeWithTheirFixedCharactersAtTheEnds) {
  NameLexicons lexicons;
  for (unsigned code = 0x4E00; code < 0x5400; ++code) lexicons.surnames.push_back(utf8_of(code));
  lexicons.single_given = lexicons.surnames;
  std::reverse(lexicons.single_given.begin(), lexicons.single_given.end());
  const NameLists lists = build_name_lists(lexicons, {});
  const struct {
    const std::vector<GbkChar>& list;
    NameListShape shape;
    std::vector<std::string> lexicon;
  } cases[] = {{lists.surnames, kSurnameShape, lexicons.surnames},
               {lists.given, kGivenNameShape, lexicons.single_given}};
  for (const auto& c : cases) {
    ASSERT_EQ(c.list.size(), c.shape.size);
    EXPECT_TRUE(std::is_sorted(c.list.begin(), c.list.end()));
    const std::vector<GbkChar> head = gbs(c.shape.head.data());
    const std::vector<GbkChar> tail = gbs(c.shape.tail.data());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), c.list.begin())) << c.shape.head;
    EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), c.list.rbegin())) << c.shape.tail;
    for (GbkChar member : gbs(c.shape.members.data())) EXPECT_NE(std::count(c.list.begin(), c.list.end(), member), 0);
    // The rest come from the lexicon in its order: its first character that may stand between
    // the ends is in, its last one is not.
    std::vector<GbkChar> fill = single_characters(c.lexicon);
    std::erase_if(fill, [&](GbkChar code) { return code <= head.back() || code >= tail.front(); });
    EXPECT_NE(std::count(c.list.begin(), c.list.end(), fill.front()), 0);
    EXPECT_EQ(std::count(c.list.begin(), c.list.end(), fill.back()), 0);
  }
}

TEST(NameListsTest, WesternListsCountPlacesInTranscribedNames) {
  NameLexicons lexicons;
  lexicons.western = {"克林顿", "布什"};
  // 斯密斯 is made of transcription characters; 中国人民 and 克林 (too short) are not names.
  const NameLists lists = build_name_lists(lexicons, {"斯密斯", "中国人民", "克林", "布林斯顿"});
  EXPECT_EQ(lists.western_names, 4u);  // 克林顿 布什 斯密斯 布林斯顿
  EXPECT_EQ(lists.western_first, shaped_list(kWesternFirstShape, gbs("布克斯")));
  EXPECT_TRUE(contains(lists.western_middle, "林"));
  EXPECT_TRUE(contains(lists.western_middle, "密"));
  EXPECT_TRUE(contains(lists.western_middle, "斯"));
  EXPECT_FALSE(contains(lists.western_middle, "克"));
  EXPECT_TRUE(contains(lists.western_last, "顿"));
  EXPECT_TRUE(contains(lists.western_last, "什"));
  EXPECT_FALSE(contains(lists.western_first, "中"));
  EXPECT_FALSE(contains(lists.western_last, "民"));
}

TEST(NameListsTest, WesternListsTakeTheCommonestCharactersFirst) {
  using testing::gb2312_by_sequence;
  NameLexicons lexicons;
  // More last characters than the list holds: 300 ending one name each, and one that sorts
  // after all of them ending two.
  for (int sequence = 1000; sequence < 1300; ++sequence) {
    lexicons.western.push_back("阿" + utf8_of_gbk(gb2312_by_sequence(sequence)));
  }
  const std::string common = utf8_of_gbk(gb2312_by_sequence(1400));
  lexicons.western.push_back("阿" + common);
  lexicons.western.push_back("埃" + common);
  const NameLists lists = build_name_lists(lexicons, {});
  ASSERT_EQ(lists.western_last.size(), kWesternLastShape.size);
  EXPECT_TRUE(contains(lists.western_last, common.c_str()));
  // The rest come in code order among equal counts: the lowest ones are in, the highest out.
  EXPECT_NE(std::count(lists.western_last.begin(), lists.western_last.end(), gb2312_by_sequence(1000)), 0);
  EXPECT_EQ(std::count(lists.western_last.begin(), lists.western_last.end(), gb2312_by_sequence(1299)), 0);
}

}  // namespace
}  // namespace tavgen
