// The text tables: the punctuation map and the accessory codes as the writers produce them and
// the engine's loaders read them.
#include <gtest/gtest.h>

#include "table_fixture.h"

namespace table_test {
namespace {

TEST(PunctuationTest, TheBuiltInMapHasThe32PrintablePunctuationKeysInOrder) {
  const auto& mappings = mkdata::default_punctuation();
  ASSERT_EQ(mappings.size(), 32u);
  std::string keys;
  for (const auto& [key, value] : mappings) keys.push_back(key);
  EXPECT_EQ(keys, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
  std::string text = mkdata::write_punctuation(mappings);
  EXPECT_TRUE(text.starts_with("! ！\n"));
  EXPECT_TRUE(text.ends_with("~ ～\n"));
}

TEST(PunctuationTest, TheWrittenMapLoadsBackWithPairedFormsOfEqualLength) {
  ime_punct_t table[IME_PUNCT_KEYS];
  EXPECT_EQ(ime_parse_punct(mkdata::write_punctuation(mkdata::default_punctuation()), table), 0);
  int mapped = 0;
  for (const ime_punct_t& entry : table) mapped += entry.length > 0;
  EXPECT_EQ(mapped, 32);
  for (char paired : std::string("<>{}'\"")) {
    const ime_punct_t& entry = table[static_cast<unsigned char>(paired)];
    EXPECT_EQ(entry.length, 6) << paired;
  }
  EXPECT_STREQ(table['_'].text, "——");
  EXPECT_STREQ(table['$'].text, "¥");
}

TEST(PunctuationTest, LinesAreTakenAsTheFileFormatSays) {
  struct Case {
    std::string text;
    unsigned char key;
    std::string value;  // empty: no mapping
  } cases[] = {
      {", .\n", ',', "."},
      {", x", ',', ""},                      // three bytes without a line feed
      {", x\n", ',', "x"},
      {", ab", ',', "ab"},                   // a last line of four bytes
      {", a\r\n", ',', "a\r"},              // only the line feed is removed
      {", old\n, new\n", ',', "new"},        // the later line wins
      {", " + std::string(32, 'v') + "\n", ',', ""},  // a value over 31 bytes is refused
      {", " + std::string(31, 'v') + "\n", ',', std::string(31, 'v')},
      {"\x7f x\n", 0x7f, "x"},              // the highest key the table holds
  };
  for (const Case& c : cases) {
    ime_punct_t table[IME_PUNCT_KEYS];
    ime_parse_punct(c.text, table);
    EXPECT_EQ(std::string(table[c.key].text, table[c.key].length), c.value) << testing::PrintToString(c.text);
  }
  ime_punct_t table[IME_PUNCT_KEYS];
  EXPECT_EQ(ime_parse_punct("\x80 x\n\xff y\n, " + std::string(40, 'v') + "\n. y\n", table), 3);
  EXPECT_STREQ(table['.'].text, "y");
}

TEST(PunctuationTest, AnUnchangedFileIsNotReadAgain) {
  EngineRoot root;
  root.enable_debug_log();
  root.put_resource("punct.def", ", .\n");
  int saved_level = ime_debug_level;
  ime_debug_level = 1;
  engine_test::LogCapture log;
  EXPECT_EQ(ime_load_punct(), 0);
  EXPECT_STREQ(ime_punct[','].text, ".");
  EXPECT_EQ(ime_punct['.'].length, 0);
  EXPECT_FALSE(logged("not changed"));
  EXPECT_EQ(ime_load_punct(), 0);
  EXPECT_TRUE(logged("not changed"));
  ime_debug_level = saved_level;
}

TEST(AccessoryCodesTest, WrittenCodesLoadBackAndOddLinesAddNothing) {
  std::size_t lines = 0;
  std::string text = mkdata::write_accessory_codes(
      {{"中", {"l"}}, {"行", {"hon", "hn"}}, {"𠀀", {"x"}}, {"国", {}}, {"长", {std::string(40, 'q')}}},
      &lines);
  EXPECT_EQ(lines, 2u);  // a four-byte hanzi and hanzi without usable codes are left out
  text += "中\n";             // a hanzi without codes
  text += "; 国 ab\n";        // a comment
  text += "行 " + std::string(40, 'c') + "\n";  // the later line wins; the code is cut
  ime_acc_dict_t dict;
  ime_parse_acc_lines(text, &dict);
  EXPECT_EQ(dict.size(), 2u);
  EXPECT_EQ(dict.at("中"), std::vector<std::string>{"l"});
  EXPECT_EQ(dict.at("行"), std::vector<std::string>{std::string(IME_ACC_CODE_MAX, 'c')});
  EXPECT_EQ(dict.count("国"), 0u);
}

TEST(AccessoryCodesTest, TheLoaderReloadsOnlyAChangedFile) {
  EngineRoot root;
  engine_test::LogCapture log;
  EXPECT_EQ(ime_load_acc(), -1);
  EXPECT_TRUE(logged("Open acc file"));

  std::size_t lines = 0;
  root.put_resource("fzm.db", mkdata::write_accessory_codes({{"中", {"l"}}}, &lines));
  ASSERT_EQ(ime_load_acc(), 0);
  ASSERT_NE(kAccCodeDict, nullptr);
  const ime_acc_dict_t* first = kAccCodeDict;
  EXPECT_EQ(ime_load_acc(), 0);
  EXPECT_EQ(kAccCodeDict, first);

  // A user's own table in the data folder comes before the resource.
  write_file(root.data_folder() / "fzm.db", "中 x\n");
  engine_test::reset_engine_caches();
  ASSERT_EQ(ime_load_acc(), 0);
  EXPECT_EQ(kAccCodeDict->at("中"), std::vector<std::string>{"x"});
}

}  // namespace
}  // namespace table_test
