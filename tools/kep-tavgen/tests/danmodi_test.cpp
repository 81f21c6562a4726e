#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "sentenceparser/core/letter_lists.h"
#include "tavgen_fixture.h"
#include "tools/kep-tavgen/danmodi_writer.h"
#include "tools/kep-tavgen/tav_folder.h"

namespace tavgen {
namespace {

using testing::gb;
using testing::gb2312_by_sequence;
using testing::gbs;

struct Record {
  std::uint32_t start;
  std::uint16_t count;
};

Record read_record(const std::string& index, int record) {
  const auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(index.at(at))); };
  const std::size_t at = static_cast<std::size_t>(record) * 6;
  return {byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24,
          static_cast<std::uint16_t>(byte(at + 4) | byte(at + 5) << 8)};
}

// The characters of a record as a reader gets them back: located by the index, un-XORed.
std::vector<GbkChar> read_list(const DanmodiFiles& files, int record) {
  const Record r = read_record(files.index, record);
  std::vector<GbkChar> list;
  for (std::size_t i = 0; i < r.count; ++i) {
    const std::size_t at = (static_cast<std::size_t>(r.start) + i) * 2;
    const unsigned char hi = static_cast<unsigned char>(files.library.at(at)) ^ sentence::kDanmodiXorKey;
    const unsigned char lo = static_cast<unsigned char>(files.library.at(at + 1)) ^ sentence::kDanmodiXorKey;
    list.push_back(static_cast<GbkChar>(hi << 8 | lo));
  }
  return list;
}

TEST(DanmodiTest, RecordNumbers) {
  const struct {
    int expected;
    int actual;
  } cases[] = {
      {27, danmodi_record(ContextClass::Qt, 'b')},
      {27, danmodi_record(ContextClass::Qt, 'B')},
      {0, danmodi_record(ContextClass::Js, 'a')},
      {2 * 26 + 25, danmodi_record(ContextClass::Sz, 'z')},
      {3 * 26 + 7, danmodi_record(ContextClass::Xw, 'h')},
      {104, danmodi_record(GbkChar{0xB0A1}, 'a')},
      {(3755 + 3) * 26 + 2, danmodi_record(GbkChar{0xD7F9}, 'c')},
      {(3756 + 3) * 26, danmodi_record(GbkChar{0xD8A1}, 'a')},
      {kDanmodiRecords - 1, danmodi_record(GbkChar{0xF7FE}, 'Z')},
      {-1, danmodi_record(GbkChar{0xD7FA}, 'a')},  // an empty cell
      {-1, danmodi_record(GbkChar{0xA3C1}, 'a')},  // a full-width letter
      {-1, danmodi_record(GbkChar{0x8140}, 'a')},  // GBK, not GB2312
      {-1, danmodi_record(GbkChar{0xB0A1}, '1')},
      {-1, danmodi_record(ContextClass::Qt, '[')},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].actual, cases[i].expected) << i;
  EXPECT_EQ(kDanmodiRecords, (6763 + 4) * 26);
}

TEST(DanmodiTest, ContextsComeFromFollowingCharactersByWordWeight) {
  const std::vector<ContextWord> words = {
      {gbs("中国"), "zg", 100}, {gbs("中间"), "zj", 50},  {gbs("中共"), "zg", 300},
      {gbs("国家"), "gj", 80},  {gbs("中国人"), "zgr", 30}, {gbs("国"), "g", 500},
      {gbs("中"), "zh", 10},  // characters and initials do not match: left out
  };
  const auto lists = build_danmodi_lists(words);
  ASSERT_EQ(lists.size(), static_cast<std::size_t>(kDanmodiRecords));
  const GbkChar zhong = gb("中");
  EXPECT_EQ(lists[danmodi_record(zhong, 'g')], (std::vector<GbkChar>{gb("共"), gb("国")}));  // 300 > 100 + 30
  EXPECT_EQ(lists[danmodi_record(zhong, 'j')], std::vector<GbkChar>{gb("间")});
  EXPECT_EQ(lists[danmodi_record(gb("国"), 'r')], std::vector<GbkChar>{gb("人")});
  EXPECT_EQ(lists[danmodi_record(gb("国"), 'j')], std::vector<GbkChar>{gb("家")});
  EXPECT_EQ(lists[danmodi_record(ContextClass::Qt, 'g')], std::vector<GbkChar>{gb("国")});  // 500 + 80
  EXPECT_EQ(lists[danmodi_record(ContextClass::Qt, 'z')], std::vector<GbkChar>{zhong});
  EXPECT_TRUE(lists[danmodi_record(ContextClass::Sz, 'z')].empty());
  EXPECT_TRUE(lists[danmodi_record(ContextClass::Xw, 'g')].empty());
  EXPECT_TRUE(lists[danmodi_record(ContextClass::Js, 'g')].empty());
  EXPECT_TRUE(lists[danmodi_record(gb("人"), 'z')].empty());
}

TEST(DanmodiTest, AContextListIsCutTo129BestCharacters) {
  std::vector<ContextWord> words;
  const GbkChar context = gb("大");
  for (int i = 1; i <= 200; ++i) words.push_back({{context, gb2312_by_sequence(i)}, "dx", 1000u - i});
  const auto lists = build_danmodi_lists(words);
  const auto& list = lists[danmodi_record(context, 'x')];
  ASSERT_EQ(list.size(), static_cast<std::size_t>(sentence::kContextListMax));
  EXPECT_EQ(list.front(), gb2312_by_sequence(1));
  EXPECT_EQ(list.back(), gb2312_by_sequence(129));
}

TEST(DanmodiTest, FilesIndexEveryRecordAndStoreCharactersXored) {
  std::vector<std::vector<GbkChar>> lists(kDanmodiRecords);
  lists[27] = gbs("不部本");
  lists[104] = gbs("安");
  lists[kDanmodiRecords - 1] = gbs("在中");
  const DanmodiFiles files = write_danmodi(lists);
  ASSERT_EQ(files.index.size(), static_cast<std::size_t>(kDanmodiRecords) * 6);
  ASSERT_EQ(files.library.size(), 6u * 2);
  EXPECT_EQ(read_list(files, 27), gbs("不部本"));
  EXPECT_EQ(read_list(files, 104), gbs("安"));
  EXPECT_EQ(read_list(files, kDanmodiRecords - 1), gbs("在中"));
  EXPECT_EQ(read_record(files.index, 104).start, 3u);
  EXPECT_EQ(read_record(files.index, 26).count, 0u);
  EXPECT_EQ(read_record(files.index, 28).count, 0u);
  // No byte is stored in the clear.
  const std::string plain = gbk_bytes(gbs("不部本安在中"));
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(static_cast<unsigned char>(files.library[i]),
              static_cast<unsigned char>(plain[i]) ^ sentence::kDanmodiXorKey);
  }
}

TEST(DanmodiTest, OverlongListsAreCutAndExtraRecordsRefused) {
  std::vector<std::vector<GbkChar>> lists(1);
  for (int i = 1; i <= 300; ++i) lists[0].push_back(gb2312_by_sequence(i));
  const DanmodiFiles files = write_danmodi(lists);  // missing records count as empty
  EXPECT_EQ(read_record(files.index, 0).count, sentence::kContextListMax);
  EXPECT_EQ(files.library.size(), static_cast<std::size_t>(sentence::kContextListMax) * 2);
  EXPECT_EQ(read_record(files.index, kDanmodiRecords - 1).count, 0u);
  EXPECT_THROW(write_danmodi(std::vector<std::vector<GbkChar>>(kDanmodiRecords + 1)), std::invalid_argument);
}

TEST(DanmodiTest, TheWordLibraryFolderIsCreatedWithItsFiles) {
  char pattern[] = "/tmp/tavgen-test-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path root = std::filesystem::path(pattern) / "Library" / "TAV";
  std::vector<std::vector<GbkChar>> lists(kDanmodiRecords);
  lists[27] = gbs("不");
  const DanmodiFiles files = write_danmodi(lists);
  std::string error;
  ASSERT_TRUE(write_tav_folder(root, files, &error)) << error;
  ASSERT_TRUE(write_tav_folder(root, files, &error)) << error;  // again over its own output
  for (const char* folder : {"cz", "main", "mpp", "py"}) EXPECT_TRUE(std::filesystem::is_directory(root / folder));
  std::error_code ec;
  EXPECT_EQ(platform::files::read_file(root / "py/danmodi.inx", ec), files.index);
  EXPECT_EQ(platform::files::read_file(root / "py/danmodi.lib", ec), files.library);

  // A file where a folder belongs is reported, not written through.
  const std::filesystem::path blocked = std::filesystem::path(pattern) / "blocked";
  ASSERT_TRUE(platform::files::write_atomic(blocked, "x", ec));
  EXPECT_FALSE(write_tav_folder(blocked, files, &error));
  EXPECT_NE(error.find("blocked"), std::string::npos);
  std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace tavgen
