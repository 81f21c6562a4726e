// The folder a build leaves: records, index entries with their lists of longer keys, the
// description files, and what a failed or stopped build leaves behind.
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <sstream>

#include "CoreSource/dict/dictfmt.h"
#include "CoreSource/dict/dictindex.h"
#include "dict_fixture.h"

namespace {

namespace fs = std::filesystem;
using dict_fixture::build;
using dict_fixture::gb;
using dict_fixture::read_text;

// The whole folder as stored: records by offset and the index values of chosen keys.
class Folder {
 public:
  explicit Folder(const fs::path& path) : path_(path), db_(read_text(path / dictfmt::kRecordFile)) {}

  std::optional<dictfmt::IndexValue> entry(const std::string& key) const {
    dictindex::Handle* index = dictindex::open_read((path_ / dictfmt::kIndexName).string());
    EXPECT_NE(index, nullptr);
    std::optional<std::string> value = dictindex::fetch(index, key);
    dictindex::close(index);
    if (!value) return std::nullopt;
    return dictfmt::parse_index_value(value->data(), value->size());
  }

  // The records of a key's run, in order.
  std::vector<dictfmt::Record> records(const std::string& key) const {
    std::vector<dictfmt::Record> found;
    auto value = entry(key);
    if (!value) return found;
    const int n = static_cast<int>(key.size());
    for (std::uint32_t i = 0; i < value->count; ++i) {
      dictfmt::Record record;
      EXPECT_TRUE(dictfmt::decode_record(reinterpret_cast<const unsigned char*>(db_.data()), db_.size(),
                                         value->offset + i * dictfmt::record_size(n), n, &record));
      found.push_back(record);
    }
    return found;
  }

  std::map<std::string, std::string> info() const {
    std::map<std::string, std::string> values;
    std::istringstream in(read_text(path_ / dictfmt::kInfoFile));
    std::string line;
    while (std::getline(in, line)) {
      if (auto pair = dictfmt::parse_info_line(line)) values[pair->first] = pair->second;
    }
    return values;
  }

  std::size_t db_size() const { return db_.size(); }

 private:
  fs::path path_;
  std::string db_;
};

std::set<std::string> entries_of(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

const std::set<std::string> kFolderFiles = {"dict.db", "dict_idx.db", "dict.info", "version.info", "uid.info"};

TEST(DictBuilder, OneWordGivesOneRecordUnderItsFoldedKey) {
  engine_test::TempDir temp;
  auto built = build(temp / "one", {"zhong'guo 中国 **** 80 12"});
  ASSERT_EQ(built.result, 0) << built.message;
  EXPECT_EQ(built.stats.records, 1u);

  Folder folder(temp / "one");
  EXPECT_EQ(folder.db_size(), dictfmt::record_size(2));
  auto value = folder.entry("zK");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->offset, 0u);
  EXPECT_EQ(value->count, 1u);
  EXPECT_TRUE(value->longer_keys.empty());
  auto records = folder.records("zK");
  ASSERT_EQ(records.size(), 1u);
  const dictfmt::Record& r = records[0];
  EXPECT_EQ(std::string(r.initials, 2), "zg");
  EXPECT_EQ(std::string(r.finals, 2), "t*");
  EXPECT_EQ(std::string(r.tones, 2), "12");
  EXPECT_EQ(std::string(r.text, 4), gb("中国"));
  EXPECT_EQ(std::string(r.second, 4), "****");
  EXPECT_EQ(r.word_number, 0u);
  EXPECT_EQ(r.base_frequency, 80u);
  EXPECT_EQ(folder.info().at("TOTAL_COUNT"), "1");
  EXPECT_EQ(entries_of(temp / "one"), kFolderFiles);  // nothing of the build left behind
}

// The system dictionary is built once and read by every user, so each of its files must be
// readable by all, whatever umask the build ran under.
TEST(DictBuilder, EveryFileOfAFolderIsReadableByAll) {
  for (mode_t umask_of_build : {mode_t{022}, mode_t{077}}) {
    SCOPED_TRACE(umask_of_build);
    engine_test::TempDir temp;
    mode_t saved = ::umask(umask_of_build);
    auto built = build(temp / "system.dict", {"zhong'guo 中国 **** 80 12"});
    ::umask(saved);
    ASSERT_EQ(built.result, 0) << built.message;
    for (const std::string& name : kFolderFiles) {
      struct stat st;
      ASSERT_EQ(::stat((temp / "system.dict" / name).c_str(), &st), 0) << name;
      EXPECT_EQ(st.st_mode & 07777, 0644u) << name;
    }
  }
}

TEST(DictBuilder, FuzzyPairsShareOneKey) {
  engine_test::TempDir temp;
  auto built = build(temp / "ff", {"hua'fei 化肥 **** 5", "fa'hui 发挥 **** 9", "zhong'guo 中国"});
  ASSERT_EQ(built.result, 0) << built.message;
  Folder folder(temp / "ff");
  auto value = folder.entry("FF");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->count, 2u);
  std::set<std::string> words;
  for (const auto& r : folder.records("FF")) words.insert(std::string(r.text, 4));
  EXPECT_EQ(words, (std::set<std::string>{gb("化肥"), gb("发挥")}));
  EXPECT_FALSE(folder.entry("hf"));
}

TEST(DictBuilder, KeysOfFourLettersAndMoreListTheLongerKeysThatAreKeys) {
  engine_test::TempDir temp;
  const std::string word = "啊八次的额发吗";
  auto line = [&](const std::string& pinyin, int n) {
    return pinyin + " " + word.substr(0, 3 * static_cast<std::size_t>(n));
  };
  auto built = build(temp / "prefix", {
      line("a'ba'ci", 3), line("a'ba'ci'de", 4), line("a'ba'ci'de'e", 5),
      line("a'ba'ci'de'e'fa", 6), line("a'ba'ci'de'ge'fa'ma", 7),
  });
  ASSERT_EQ(built.result, 0) << built.message;
  EXPECT_EQ(built.stats.records, 5u);
  Folder folder(temp / "prefix");
  using Keys = std::vector<std::string>;
  EXPECT_EQ(folder.entry("abc")->longer_keys, Keys{});
  EXPECT_EQ(folder.entry("abcd")->longer_keys, (Keys{"abcdKFm", "abcde", "abcdeF"}));
  EXPECT_EQ(folder.entry("abcde")->longer_keys, Keys{"abcdeF"});
  EXPECT_EQ(folder.entry("abcdeF")->longer_keys, Keys{});
  EXPECT_EQ(folder.entry("abcdKFm")->longer_keys, Keys{});
  EXPECT_FALSE(folder.entry("abcdK"));  // a prefix that is no key gets no entry
}

TEST(DictBuilder, RecordsAreGroupedByKeyAndNumberedInSortedOrder) {
  engine_test::TempDir temp;
  auto built = build(temp / "order", {"zhong'guo 中国 **** 3", "guo 国", "zhong 中", "zhong'guo 种果 **** 1"});
  ASSERT_EQ(built.result, 0) << built.message;
  Folder folder(temp / "order");
  // Keys in byte order: "K" (guo), "z" (zhong), "zK" (two words).
  EXPECT_EQ(folder.entry("K")->offset, 0u);
  EXPECT_EQ(folder.entry("z")->offset, dictfmt::record_size(1));
  EXPECT_EQ(folder.entry("zK")->offset, 2 * dictfmt::record_size(1));
  auto both = folder.records("zK");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].word_number, 2u);
  EXPECT_EQ(both[1].word_number, 3u);
  EXPECT_EQ(folder.records("K")[0].word_number, 0u);
  EXPECT_EQ(folder.info().at("TOTAL_COUNT"), "4");
}

TEST(DictBuilder, SkipsAndCountsLinesThatCannotBeRecords) {
  engine_test::TempDir temp;
  auto built = build(temp / "mixed", {
      "zhong'guo 中国",
      "ni'hao nh",           // ASCII
      "ni'hao 𠀀",           // one four-byte character
      "m'ma 呣妈",           // m has no final code
      "",                    // empty lines are not words at all
      "hua'fei 化肥 化 1",   // second form of another length
      "fa'hui 发挥",
  });
  ASSERT_EQ(built.result, 0) << built.message;
  EXPECT_EQ(built.stats.records, 2u);
  EXPECT_EQ(built.stats.rejected, 4u);
  EXPECT_EQ(built.stats.lines, 7u);
  Folder folder(temp / "mixed");
  EXPECT_EQ(folder.info().at("TOTAL_COUNT"), "2");
  EXPECT_EQ(folder.db_size(), 2 * dictfmt::record_size(2));
}

TEST(DictBuilder, AnEmptyWordListBuildsAnEmptyFolder) {
  engine_test::TempDir temp;
  auto built = build(temp / "empty", {});
  ASSERT_EQ(built.result, 0) << built.message;
  Folder folder(temp / "empty");
  EXPECT_EQ(folder.db_size(), 0u);
  EXPECT_EQ(folder.info().at("TOTAL_COUNT"), "0");
  EXPECT_EQ(entries_of(temp / "empty"), kFolderFiles);
}

TEST(DictBuilder, DescriptionFilesHoldTheBuildTextsOnOneLineEach) {
  dict_fixture::BuildTextsGuard guard;
  std::snprintf(sauthor, sizeof sauthor, "%s", "Name\nTOTAL_COUNT\t999");
  std::snprintf(sdesc, sizeof sdesc, "%s", "two\r\nlines\tand a tab");
  std::snprintf(sversion, sizeof sversion, "%s", "1285286400");
  engine_test::TempDir temp;
  auto built = build(temp / "info", {"zhong'guo 中国"}, "1234abc");
  ASSERT_EQ(built.result, 0) << built.message;

  const std::string info = read_text(temp / "info" / "dict.info");
  EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 5);
  Folder folder(temp / "info");
  auto values = folder.info();
  EXPECT_EQ(values.at("TOTAL_COUNT"), "1");
  EXPECT_EQ(values.at("USER"), "Name TOTAL_COUNT 999");
  EXPECT_EQ(values.at("DESCRIPTION"), "two  lines and a tab");
  EXPECT_EQ(values.at("VERSION"), "1285286400");
  EXPECT_EQ(values.at("DATE").size(), 10u);
  EXPECT_EQ(read_text(temp / "info" / "version.info"), "1285286400");
  EXPECT_EQ(read_text(temp / "info" / "uid.info"), "1234");
}

TEST(DictBuilder, UidTextsBecomeTheirLeadingNumber) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"1234abc", 1234}, {"abc", 0}, {"", 0}, {"99999999999", INT_MAX}, {nullptr, 0}};
  for (const auto& [text, number] : cases) EXPECT_EQ(ime_uid_number(text), number) << (text ? text : "NULL");
}

TEST(DictBuilder, AFailedBuildReportsWhyAndLeavesNoValidFolder) {
  engine_test::TempDir temp;
  char message[512] = "";
  // No folder.
  EXPECT_EQ(ime_build_dict((temp / "none.words").c_str(), (temp / "absent").c_str(), "1", message), -1);
  EXPECT_NE(std::string(message).find("absent"), std::string::npos);

  // No word list: the folder is left as it was, with no file of the build.
  fs::create_directories(temp / "nolist");
  message[0] = '\0';
  EXPECT_EQ(ime_build_dict((temp / "missing.words").c_str(), (temp / "nolist").c_str(), "1", message), -1);
  EXPECT_NE(std::string(message).find("missing.words"), std::string::npos);
  EXPECT_TRUE(entries_of(temp / "nolist").empty());
}

TEST(DictBuilder, ARebuildReplacesTheOldFiles) {
  engine_test::TempDir temp;
  ASSERT_EQ(build(temp / "again", {"zhong'guo 中国", "fa'hui 发挥"}).result, 0);
  ASSERT_EQ(build(temp / "again", {"guo 国"}).result, 0);
  Folder folder(temp / "again");
  EXPECT_EQ(folder.info().at("TOTAL_COUNT"), "1");
  EXPECT_FALSE(folder.entry("zK"));  // the old index is gone with the old records
  EXPECT_TRUE(folder.entry("K"));
  EXPECT_EQ(entries_of(temp / "again"), kFolderFiles);
}

TEST(DictBuilder, AStoppedBuildCompletesTheFolderWithWhatItHas) {
  dict_fixture::BuildTextsGuard guard;
  stopFlag = 1;
  engine_test::TempDir temp;
  auto built = build(temp / "stopped", {"zhong'guo 中国", "fa'hui 发挥"});
  EXPECT_EQ(built.result, 0);
  EXPECT_EQ(built.stats.records, 0u);
  EXPECT_EQ(Folder(temp / "stopped").info().at("TOTAL_COUNT"), "0");
  EXPECT_EQ(entries_of(temp / "stopped"), kFolderFiles);
}

}  // namespace
