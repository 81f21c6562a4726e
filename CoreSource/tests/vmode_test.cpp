// The V-mode and abbreviation tables: their line format and when their files are read again.
#include "tables/vmode.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "platform/bundle.h"
#include "vmode_fixture.h"

using namespace engine_test;

namespace {

using Items = std::vector<std::string>;

// Sets a file's modification time to `seconds` plus `nanoseconds`.
void set_mtime(const fs::path& path, time_t seconds, long nanoseconds = 0) {
  struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct ParseCase {
  const char* name;
  std::string text;
  ime_vmode_format format;
  std::string key;       // the entry looked at; empty: the table must be empty
  std::string title;
  Items items;
  int skipped;
};

class VModeParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(VModeParseTest, ReadsTheLineFormat) {
  const ParseCase& c = GetParam();
  ime_vmode_table_t table;
  EXPECT_EQ(ime_vmode_parse(c.text, c.format, &table), c.skipped);
  if (c.key.empty()) {
    EXPECT_TRUE(table.entries.empty());
    return;
  }
  const ime_vmode_entry_t* entry = table.find(c.key);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->key, c.key);
  EXPECT_EQ(entry->description, c.title);
  EXPECT_EQ(entry->items, c.items);
}

constexpr auto V = ime_vmode_format::VMode;
constexpr auto A = ime_vmode_format::Abbreviation;

INSTANTIATE_TEST_SUITE_P(
    Lines, VModeParseTest,
    ::testing::Values(
        ParseCase{"four_items", "sx 数学 ＋,－,×,÷\n", V, "sx", "数学", {"＋", "－", "×", "÷"}, 0},
        ParseCase{"key_only_is_skipped", "sx\n", V, "", "", {}, 1},
        ParseCase{"key_and_title_only_is_skipped", "sx 数学  \n", V, "", "", {}, 1},
        ParseCase{"escaped_comma_stays_with_its_backslash", "k t a\\,b,c", V, "k", "t",
                  {"a\\,b", "c"}, 0},
        ParseCase{"comma_after_a_separator_begins_the_next_item", "k t a,,b", V, "k", "t",
                  {"a", ",b"}, 0},
        ParseCase{"backslash_after_a_separator_escapes_nothing", "k t a,\\,b", V, "k", "t",
                  {"a", "\\", "b"}, 0},
        ParseCase{"trailing_separator_adds_no_empty_item", "k t a,b,", V, "k", "t", {"a", "b"}, 0},
        ParseCase{"blanks_stay_inside_items", "k\tt \t a b ,c", V, "k", "t", {"a b ", "c"}, 0},
        ParseCase{"later_lines_add_to_the_first", "k t1 a\r\nk t2 b,c\r\n", V, "k", "t1",
                  {"a", "b", "c"}, 0},
        ParseCase{"comments_and_blank_lines", "  \t# k t x\n\n   \nk t a\n#k t b\n", V, "k", "t",
                  {"a"}, 0},
        ParseCase{"items_end_at_a_zero_byte", std::string("k t a,b\0c\n", 10), V, "k", "t",
                  {"a", "b"}, 0},
        ParseCase{"abbreviation_has_no_title", "zg 中国,中华人民共和国\nzz\n", A, "zg", "",
                  {"中国", "中华人民共和国"}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Each test starts with no tables, a scratch home, and ends the same way.
class VModeTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { ime_vmode_reset_for_testing(); }
  void TearDown() override { ime_vmode_reset_for_testing(); }

  static Items items_of(const ime_vmode_entry_t* entry) { return entry ? entry->items : Items{}; }

  ScratchHome home_;
};

TEST_F(VModeTablesTest, NoBundleIsRefused) { EXPECT_EQ(QAVModeInit(nullptr), -1); }

TEST_F(VModeTablesTest, UserEntryHidesTheSystemEntryWhole) {
  FakeVModeBundle shipped("sx 数学 ＋,－\nxl 希腊 α,β\n");
  write_file(home_.data_folder() / "vmode.txt", "sx 我的 ∑\n");
  platform::Bundle bundle = shipped.bundle();
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAVModeGetItem("sx")), Items{"∑"});
  EXPECT_EQ(QAVModeGetItem("sx")->description, "我的");
  EXPECT_EQ(items_of(QAVModeGetItem("xl")), (Items{"α", "β"}));
  EXPECT_EQ(QAVModeGetItem("zz"), nullptr);
  EXPECT_EQ(QAVModeSystemEntries().size(), 2u);
  EXPECT_EQ(QAVModeUserEntries().size(), 1u);
}

TEST_F(VModeTablesTest, TheSystemTableIsReadOncePerProcess) {
  FakeVModeBundle shipped("sx 数学 ＋\n");
  platform::Bundle bundle = shipped.bundle();
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  write_file(shipped.vmode_path(), "sx 数学 －\n");
  set_mtime(shipped.vmode_path(), time(nullptr) + 10);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAVModeGetItem("sx")), Items{"＋"});
}

TEST_F(VModeTablesTest, AbbreviationsReloadOnlyWhenTheSecondOfModificationChanges) {
  FakeVModeBundle shipped("");
  platform::Bundle bundle = shipped.bundle();
  fs::path abbr = home_.data_folder() / "abbr.txt";
  const time_t base = 1700000000;

  write_file(abbr, "zg 中国\n");
  set_mtime(abbr, base, 100);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAAbbrGetItem("zg")), Items{"中国"});

  // Rewritten within the same second: not read again.
  write_file(abbr, "zg 中华\n");
  set_mtime(abbr, base, 900000000);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAAbbrGetItem("zg")), Items{"中国"});

  set_mtime(abbr, base + 1);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAAbbrGetItem("zg")), Items{"中华"});
  EXPECT_EQ(QAVModeGetItem("zg"), nullptr);  // abbreviations are not V-mode entries
}

TEST_F(VModeTablesTest, AFileDatedAtTheEpochStillLoads) {
  FakeVModeBundle shipped("");
  platform::Bundle bundle = shipped.bundle();
  fs::path abbr = home_.data_folder() / "abbr.txt";
  write_file(abbr, "zg 中国\n");
  set_mtime(abbr, 0);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAAbbrGetItem("zg")), Items{"中国"});
}

TEST_F(VModeTablesTest, ADeletedUserFileKeepsItsEntries) {
  FakeVModeBundle shipped("");
  platform::Bundle bundle = shipped.bundle();
  write_file(home_.data_folder() / "vmode.txt", "wo 我的 甲,乙\n");
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  fs::remove(home_.data_folder() / "vmode.txt");
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_EQ(items_of(QAVModeGetItem("wo")), (Items{"甲", "乙"}));
}

TEST_F(VModeTablesTest, ReleaseThenInitBringsEveryTableBack) {
  FakeVModeBundle shipped("sx 数学 ＋\n");
  platform::Bundle bundle = shipped.bundle();
  write_file(home_.data_folder() / "vmode.txt", "wo 我的 甲\n");
  write_file(home_.data_folder() / "abbr.txt", "zg 中国\n");
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  QAVModeRelease();
  EXPECT_EQ(QAVModeGetItem("sx"), nullptr);
  EXPECT_EQ(QAAbbrGetItem("zg"), nullptr);
  ASSERT_EQ(QAVModeInit(&bundle), 0);
  EXPECT_NE(QAVModeGetItem("sx"), nullptr);
  EXPECT_NE(QAVModeGetItem("wo"), nullptr);
  EXPECT_NE(QAAbbrGetItem("zg"), nullptr);
}

// The shipped tables are read with the same parser; every line must count.
TEST(ShippedVModeTablesTest, EveryLineIsAnEntryWithUsefulLists) {
  struct Shipped {
    const char* file;
    ime_vmode_format format;
    std::vector<std::string> keys;  // a few entries users look for
  } shipped[] = {
      {"vmode.txt", V, {"bd", "sx", "xl", "dw", "dl", "hb", "fs", "sz", "kh"}},
      {"abbr.txt", A, {"zg", "sfz"}},
  };
  for (const Shipped& s : shipped) {
    std::string text = read_file(fs::path(KEP_SOURCE_DIR) / "resources" / s.file);
    ime_vmode_table_t table;
    EXPECT_EQ(ime_vmode_parse(text, s.format, &table), 0) << s.file;
    std::size_t lines = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines += !line.empty() && line[0] != '#';
    EXPECT_EQ(table.entries.size(), lines) << s.file << ": a key appears twice";
    for (const std::string& key : s.keys) EXPECT_NE(table.find(key), nullptr) << key;
    for (const ime_vmode_entry_t& entry : table.entries) {
      EXPECT_FALSE(entry.items.empty()) << entry.key;
      for (const std::string& item : entry.items) {
        EXPECT_LT(item.size(), 60u) << entry.key;  // also usable as an abbreviation string
      }
    }
  }
}

}  // namespace
