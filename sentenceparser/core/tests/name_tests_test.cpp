#include "sentenceparser/core/name_tests.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/tests/hanzi_library_fixture.h"
#include "tools/kep-tavgen/name_lists_builder.h"

using namespace sentence;
using namespace sentence_test;

namespace {

class NameTests : public HanziLibraryTest {
 protected:
  void write_given_names(const std::vector<std::string>& names) {
    write_hanzi_library("cz/rm3", names, 2);
  }
  void write_places(const std::vector<std::string>& names) { write_hanzi_library("cz/dm", names, 12); }
};

TEST_F(NameTests, TwoCharacterNamesNeedASurnameAndAListedGivenCharacter) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"王明", 1}, {"李强", 1}, {"王", 0}, {"王明明明", 0}, {"的明", 0}, {"王的", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsChineseName(gbk(c.text).c_str()), c.expected) << c.text;
  EXPECT_EQ(IsChineseName(""), 0);
  EXPECT_EQ(IsChineseName(nullptr), 0);
  EXPECT_EQ(IsChineseName((gbk("王") + "ab").c_str()), 0);
}

TEST_F(NameTests, ThreeCharacterNamesNeedTheGivenNameLibraryOrTheBuiltInList) {
  write_given_names({"小龙", "德华", "志远"});
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"李小龙", 1}, {"刘德华", 1}, {"张志远", 1}, {"王建国", 1}, {"王小明", 0},
      {"的小龙", 0},  // no surname
  };
  for (const auto& c : cases) EXPECT_EQ(IsChineseName(gbk(c.text).c_str()), c.expected) << c.text;
  EXPECT_EQ(InRm3(gbk("德华").c_str()), 1);
  EXPECT_EQ(InRm3(gbk("德明").c_str()), 0);
  EXPECT_EQ(InRm3(gbk("明").c_str()), 0);
  // The surname is not looked at by the given-name test.
  EXPECT_EQ(is_ChineseName3(gbk("的小龙").c_str()), 1);
}

TEST_F(NameTests, WithoutTheGivenNameLibraryOnlyTheBuiltInListCounts) {
  write_given_names({"小龙"});
  std::filesystem::remove(dir_.path() / "cz/rm3.lib");
  EXPECT_EQ(InRm3(gbk("小龙").c_str()), 0);
  EXPECT_EQ(IsChineseName(gbk("李小龙").c_str()), 0);
  EXPECT_EQ(IsChineseName(gbk("王建国").c_str()), 1);
}

// The GBK character of a ","-separated list at `index`.
std::string list_character(const char* list, std::size_t index) {
  const std::string text(list);
  return text.substr(index * 3, 2);
}
bool in_list(const char* list, const std::string& character) {
  const std::string text(list);
  for (std::size_t at = 0; at + 1 < text.size(); at += 3) {
    if (text.compare(at, 2, character) == 0) return true;
  }
  return false;
}

TEST_F(NameTests, WesternNamesUseFirstMiddleAndLastLists) {
  using namespace sentence::generated;
  const std::string first = list_character(kWesternFirst, 0);
  const std::string middle = list_character(kWesternMiddle, 0);
  const std::string last = list_character(kWesternLast, 0);
  const std::string outsider = gbk("的");
  ASSERT_FALSE(in_list(kWesternFirst, outsider) || in_list(kWesternMiddle, outsider) ||
               in_list(kWesternLast, outsider));
  const struct {
    std::string text;
    int expected;
  } cases[] = {
      {first + last, 1},
      {first + middle + last, 1},
      {first + middle + middle + middle + last, 1},
      {outsider + last, 0},
      {first + outsider, 0},
      {first + outsider + last, 0},
      {first, 0},
      // Two characters: the middle list is not asked.
      {last + first, in_list(kWesternFirst, last) && in_list(kWesternLast, first) ? 1 : 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWestName(c.text.c_str()), c.expected) << c.text.size();
}

TEST(GeneratedNameLists, HoldTheirFixedCharactersInCodeOrderWithinTheirSize) {
  using namespace sentence::generated;
  const struct {
    const char* list;
    tavgen::NameListShape shape;
  } cases[] = {{kSurnames, tavgen::kSurnameShape},
               {kGivenNameCharacters, tavgen::kGivenNameShape},
               {kWesternFirst, tavgen::kWesternFirstShape},
               {kWesternMiddle, tavgen::kWesternMiddleShape},
               {kWesternLast, tavgen::kWesternLastShape}};
  for (const auto& c : cases) {
    const std::string list = c.list;
    ASSERT_EQ(list.size() % 3, 2u) << c.shape.head;
    const std::size_t count = list.size() / 3 + 1;
    EXPECT_LE(count, c.shape.size);
    for (std::size_t i = 1; i < count; ++i) {
      EXPECT_LT(list_character(c.list, i - 1), list_character(c.list, i)) << c.shape.head << " " << i;
    }
    const std::string head = gbk(std::string(c.shape.head));
    const std::string tail = gbk(std::string(c.shape.tail));
    for (std::size_t i = 0; i < head.size() / 2; ++i) EXPECT_EQ(list_character(c.list, i), head.substr(2 * i, 2));
    for (std::size_t i = 0; i < tail.size() / 2; ++i) {
      EXPECT_EQ(list_character(c.list, count - tail.size() / 2 + i), tail.substr(2 * i, 2));
    }
    const std::string members = gbk(std::string(c.shape.members));
    for (std::size_t i = 0; i < members.size(); i += 2) EXPECT_TRUE(in_list(c.list, members.substr(i, 2)));
  }
}

TEST_F(NameTests, PlaceNamesOfTwoToSevenCharactersAreFoundInTheLibrary) {
  write_places({"北京", "北京市", "哈尔滨市", "乌鲁木齐市", "阿拉善左旗人"});
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"北京", 1}, {"北京市", 1}, {"哈尔滨市", 1}, {"乌鲁木齐市", 1}, {"阿拉善左旗人", 1},
      {"北方", 0}, {"北", 0},     {"哈尔滨", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDmName(gbk(c.text).c_str()), c.expected) << c.text;
  EXPECT_EQ(IsDmName(("ab" + gbk("北京")).c_str()), 0);
}

TEST_F(NameTests, PlaceNamesOfEightCharactersAreNeverFound) {
  // The 8-character name's first 14 bytes are a listed 7-character name: a lookup that cut the
  // text to the record's width instead of refusing it would find it.
  write_places({"新疆维吾尔自治"});
  EXPECT_EQ(IsDmName(gbk("新疆维吾尔自治").c_str()), 1);
  EXPECT_EQ(IsDmName(gbk("新疆维吾尔自治区").c_str()), 0);
}

TEST_F(NameTests, MissingPlaceLibraryFindsNothing) {
  EXPECT_EQ(IsDmName(gbk("北京").c_str()), 0);
}

}  // namespace
