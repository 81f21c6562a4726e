// The list's reading of dict.info lines and folder names, and the copy of an added folder.
#include "preferences/dictionary/dict_scan.h"

#include <gtest/gtest.h>

#include "pane_harness.h"
#include "preferences/dictionary/dict_copy.h"

namespace dictpane_test {
namespace {

using dictpane::parse_info_line;

TEST(DictInfoLine, KeysValuesCommentsAndBlanks) {
  struct Case {
    std::string line;
    std::optional<std::pair<std::string, std::string>> parsed;
  };
  const std::vector<Case> cases = {
      {"TOTAL_COUNT\t\t 12\r\n", std::pair{"TOTAL_COUNT", "12"}},
      {"USER Daruz words\n", std::pair{"USER", "Daruz words"}},
      {"  \tDATE\t2024-01-02 03:04:05", std::pair{"DATE", "2024-01-02 03:04:05"}},
      {"KEY \n", std::pair{"KEY", ""}},
      {"TOTAL_COUNT\n", std::nullopt},
      {"TOTAL_COUNT", std::nullopt},
      {"   # TOTAL_COUNT 5\n", std::nullopt},
      {"#TOTAL_COUNT 5\n", std::nullopt},
      {" \t \r\n", std::nullopt},
      {"", std::nullopt},
      {"USER \xff\xfe\n", std::nullopt},
      {"\xc3 value\n", std::nullopt},
  };
  for (const Case& c : cases) {
    auto parsed = parse_info_line(c.line);
    ASSERT_EQ(parsed.has_value(), c.parsed.has_value()) << c.line;
    if (!parsed) continue;
    EXPECT_EQ(parsed->key, c.parsed->first) << c.line;
    EXPECT_EQ(parsed->value, c.parsed->second) << c.line;
  }
}

TEST(DictInfoLine, LongKeysAndValuesAreCut) {
  const std::string key(600, 'K');
  const std::string value(1500, 'v');
  auto parsed = parse_info_line(key + " " + value + "\n");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->key, std::string(511, 'K'));
  EXPECT_EQ(parsed->value, std::string(1023, 'v'));
}

TEST(DictListNames, OnlySmallDictAndScelOutsideStagingAndTheSystemDictionary) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"a.dict", true},          {"b.scel", true},         {"x.y.scel", true},
      {"SYSTEM.DICT", false},    {"system.dict", false},   {"System.dict", false},
      {"__new__c.scel", false},  {"D.SCEL", false},        {"e.Dict", false},
      {"plain", false},          {".dict", false},         {"f.dictx", false},
      {"", false},
  };
  for (const auto& [name, listed] : cases) EXPECT_EQ(dictpane::is_listed_name(name), listed) << name;
}

TEST(DictList, APathLineInDictInfoNeverReplacesTheFolder) {
  platform::testing_support::TempDir temp;
  write_file(temp.path() / "a.dict/dict.info", "PATH /\nUSER me\n");
  auto entries = dictpane::scan_dictionaries(temp.path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, temp.path() / "a.dict");
  EXPECT_EQ(*entries[0].find("PATH"), "/");
}

TEST(DictList, UidAndMarkComeWithTheFirstValidLineOnly) {
  platform::testing_support::TempDir temp;
  write_file(temp.path() / "a.scel/dict.info", "# only a comment\n");
  write_file(temp.path() / "a.scel/uid.info", "1234");
  write_file(temp.path() / "b.scel/dict.info", "USER b\n");
  write_file(temp.path() / "b.scel/uid.info", "\xff\xff");
  write_file(temp.path() / "c.scel/dict.info", "USER c\n");
  write_file(temp.path() / "c.scel/uid.info", "77");
  auto entries = dictpane::scan_dictionaries(temp.path());
  ASSERT_EQ(entries.size(), 3u);
  std::map<std::string, const dictpane::DictEntry*> by_name;
  for (const auto& entry : entries) by_name[entry.path.filename()] = &entry;
  EXPECT_FALSE(by_name["a.scel"]->daruz);
  EXPECT_TRUE(by_name["b.scel"]->daruz);
  EXPECT_FALSE(by_name["b.scel"]->uid.has_value());
  EXPECT_TRUE(by_name["c.scel"]->daruz);
  EXPECT_EQ(by_name["c.scel"]->uid, "77");
}

TEST(DictCopy, ReplacesAFolderOfTheSameNameOnlyWithACompleteCopyAndLeavesLinksOut) {
  platform::testing_support::TempDir temp;
  const fs::path dictionaries = temp.path() / "Dictionary";
  write_file(dictionaries / "w.dict/dict.info", "USER old\n");
  write_file(dictionaries / "w.dict/stale", "old");
  const fs::path source = temp.path() / "chosen/w.dict";
  write_file(source / "dict.info", "USER new\n");
  write_file(source / "sub/dict.db", "records");
  write_file(temp.path() / "secret", "not to be copied");
  fs::create_symlink(temp.path() / "secret", source / "link");

  std::string why;
  ASSERT_EQ(dictpane::add_dict_folder(source, dictionaries, &why), dictpane::AddOutcome::Added) << why;
  EXPECT_EQ(tree_of(dictionaries / "w.dict"),
            (std::map<std::string, std::string>{{"dict.info", "USER new\n"},
                                                {"sub", "<folder>"},
                                                {"sub/dict.db", "records"}}));
  // Nothing of the work aside is left, and the source is as it was.
  EXPECT_EQ(names_in(dictionaries), std::vector<std::string>{"w.dict"});
  EXPECT_EQ(read_file(source / "dict.info"), "USER new\n");
}

TEST(DictCopy, ASourceInsideTheDictionaryFolderOrHoldingItIsRefusedAndKept) {
  platform::testing_support::TempDir temp;
  const fs::path dictionaries = temp.path() / "home.dict/Dictionary";
  write_file(dictionaries / "a.dict/dict.info", "USER a\n");
  const auto before = tree_of(temp.path());
  std::string why;
  EXPECT_EQ(dictpane::add_dict_folder(dictionaries / "a.dict", dictionaries, &why),
            dictpane::AddOutcome::InsideDictionaries);
  EXPECT_EQ(dictpane::add_dict_folder(temp.path() / "home.dict", dictionaries, &why),
            dictpane::AddOutcome::InsideDictionaries);
  fs::create_symlink(dictionaries / "a.dict", temp.path() / "link.dict");
  EXPECT_EQ(dictpane::add_dict_folder(temp.path() / "link.dict", dictionaries, &why),
            dictpane::AddOutcome::NotAFolder);
  fs::remove(temp.path() / "link.dict");
  EXPECT_EQ(tree_of(temp.path()), before);
}

}  // namespace
}  // namespace dictpane_test
