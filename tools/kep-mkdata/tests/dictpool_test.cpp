// The dictionaries the engine opens: the system dictionary first, with its counters kept
// while its version stays, then the user's folders.
#include <gtest/gtest.h>

#include <functional>

#include "CoreSource/dict/dictpool.h"
#include "table_fixture.h"
#include "writers/system_dictionary.h"

namespace table_test {
namespace {

std::vector<mkdata::WordListEntry> five_words() {
  return {
      {{"zhong", "guo"}, "中国", "中國", 106588, "92"},
      {{"hua", "fei"}, "花费", "", 10, "14"},
      {{"fa", "hui"}, "发挥", "發揮", 20, "91"},
      {{"xing", "dong"}, "行动", "行動", 30, "24"},
      {{"yin", "hang"}, "银行", "銀行", 40, "22"},
  };
}

void build_folder(const fs::path& folder, const std::vector<mkdata::WordListEntry>& words) {
  fs::create_directories(folder.parent_path());
  mkdata::DictionaryReport report;
  std::string error;
  ASSERT_TRUE(mkdata::write_system_dictionary(words, folder, &report, &error)) << error;
}

std::string version_of(const std::vector<mkdata::WordListEntry>& words) {
  std::string version;
  mkdata::write_word_list(words, &version);
  return version;
}

class DictPoolTest : public ::testing::Test {
 protected:
  void SetUp() override { build_folder(root_.resources() / "system.dict", five_words()); }
  void TearDown() override { ime_close_phrase(); }

  fs::path counters() const { return root_.data_folder() / "system.freq"; }
  void mark_first_counter() const {
    std::string bytes = read_file(counters());
    ASSERT_EQ(bytes.size(), 5u * 4);
    bytes[0] = 0x33;
    write_file(counters(), bytes);
  }
  bool first_counter_marked() const { return read_file(counters())[0] == 0x33; }

  EngineRoot root_;
};

TEST_F(DictPoolTest, TheSystemDictionaryComesFirstThenTheUsersFolders) {
  fs::path user = root_.data_folder() / "Dictionary";
  build_folder(user / "b.scel", {five_words()[0]});
  build_folder(user / "a", {five_words()[1]});
  build_folder(user / "__new__b.scel", {five_words()[2]});  // a rebuild still being staged
  build_folder(user / "__NEW__a", {five_words()[3]});       // so is this one: any case
  fs::create_directories(user / "broken");                  // not a dictionary
  write_file(user / ".b.scel", "X");

  engine_test::LogCapture log;
  ASSERT_EQ(ime_load_phrase(), 0);
  ASSERT_EQ(ime_dict_count, 3);
  EXPECT_EQ(fs::path(ime_dict_pool[0]->path).filename(), "system.dict");
  EXPECT_EQ(ime_dict_pool[0]->word_count, 5u);
  EXPECT_EQ(fs::path(ime_dict_pool[1]->path).filename(), "a");
  EXPECT_EQ(fs::path(ime_dict_pool[2]->path).filename(), "b.scel");
  EXPECT_TRUE(logged("Open dict"));

  // Loading again replaces the pool rather than adding to it.
  ASSERT_EQ(ime_load_phrase(), 0);
  EXPECT_EQ(ime_dict_count, 3);
}

TEST_F(DictPoolTest, OnlyADictionaryFolderThatCannotBeReadIsAnError) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> prepare;
    bool error;
  } cases[] = {
      {"a new user: no folder yet", [](const fs::path&) {}, false},
      {"an empty folder", [](const fs::path& folder) { fs::create_directories(folder); }, false},
      {"a file in the folder's place", [](const fs::path& folder) { write_file(folder, "X"); }, true},
  };
  const fs::path folder = root_.data_folder() / "Dictionary";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    c.prepare(folder);
    engine_test::LogCapture log;
    ASSERT_EQ(ime_load_phrase(), 0);
    EXPECT_EQ(ime_dict_count, 1);
    EXPECT_EQ(logged("ime_load_phrase(), open dictionary failed!"), c.error);
    EXPECT_EQ(logged("ERROR|"), c.error);
  }
}

TEST_F(DictPoolTest, CountersStartAfreshOnlyWhenTheVersionChanges) {
  ASSERT_EQ(ime_load_phrase(), 0);
  EXPECT_EQ(read_file(root_.data_folder() / "version.info"), version_of(five_words()));
  ime_close_phrase();
  mark_first_counter();

  ASSERT_EQ(ime_load_phrase(), 0);  // same version: counters kept
  ime_close_phrase();
  EXPECT_TRUE(first_counter_marked());

  write_file(root_.data_folder() / "version.info", "older");
  ASSERT_EQ(ime_load_phrase(), 0);  // another version: counters start afresh
  ime_close_phrase();
  EXPECT_FALSE(first_counter_marked());
  EXPECT_EQ(read_file(root_.data_folder() / "version.info"), version_of(five_words()));
}

TEST_F(DictPoolTest, WithoutAResourceVersionTheCountersAreKept) {
  ASSERT_EQ(ime_load_phrase(), 0);
  ime_close_phrase();
  mark_first_counter();
  fs::remove(root_.resources() / "system.dict/version.info");
  ASSERT_EQ(ime_load_phrase(), 0);
  ime_close_phrase();
  EXPECT_TRUE(first_counter_marked());
  EXPECT_EQ(ime_dict_version((root_.resources() / "system.dict/version.info").string()), "1.0");
}

TEST_F(DictPoolTest, AMissingOrDamagedSystemDictionaryFailsWithoutRecordingItsVersion) {
  std::string records = read_file(root_.resources() / "system.dict/dict.db");
  write_file(root_.resources() / "system.dict/dict.db", records.substr(0, records.size() / 2));
  engine_test::LogCapture log;
  EXPECT_EQ(ime_load_phrase(), -1);
  EXPECT_TRUE(logged("Open system dict failed!"));
  EXPECT_EQ(ime_dict_count, 0);
  EXPECT_FALSE(fs::exists(root_.data_folder() / "version.info"));

  fs::remove_all(root_.resources() / "system.dict");
  EXPECT_EQ(ime_load_phrase(), -1);
}

TEST_F(DictPoolTest, ReopeningKeepsTheOpenSetUntilTheNewOneHasOpened) {
  const fs::path user = root_.data_folder() / "Dictionary";
  build_folder(user / "a", {five_words()[1]});
  ASSERT_EQ(ime_load_phrase(), 0);
  ASSERT_EQ(ime_dict_count, 2);
  const std::vector<ImeDict*> open(ime_dict_pool, ime_dict_pool + ime_dict_count);

  // The new set cannot open: the one in use stays, whole and queryable.
  build_folder(user / "b", {five_words()[2]});
  std::string records = read_file(root_.resources() / "system.dict/dict.db");
  write_file(root_.resources() / "system.dict/dict.db", records.substr(0, records.size() / 2));
  EXPECT_EQ(ime_reload_phrase(), -1);
  ASSERT_EQ(ime_dict_count, 2);
  EXPECT_EQ(std::vector<ImeDict*>(ime_dict_pool, ime_dict_pool + ime_dict_count), open);
  EXPECT_EQ(ime_dict_pool[0]->word_count, 5u);
  EXPECT_EQ(fs::path(ime_dict_pool[1]->path).filename(), "a");

  // Once it opens, it replaces the old set.
  write_file(root_.resources() / "system.dict/dict.db", records);
  ASSERT_EQ(ime_reload_phrase(), 0);
  ASSERT_EQ(ime_dict_count, 3);
  EXPECT_EQ(ime_dict_pool[0]->word_count, 5u);
  EXPECT_EQ(fs::path(ime_dict_pool[2]->path).filename(), "b");
}

}  // namespace
}  // namespace table_test
