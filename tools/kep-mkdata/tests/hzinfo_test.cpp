// The hanzi information file: records written for a set of hanzi read back through the perfect
// hash, and damaged or mismatched files are refused when opened or queried.
#include <gtest/gtest.h>

#include <functional>

#include "CoreSource/base/bigendian.h"
#include "table_fixture.h"

namespace table_test {
namespace {

struct HanziFiles {
  engine_test::TempDir dir;
  fs::path database() const { return dir.path() / "hzdb.db"; }
  void write(const mkdata::HzInfoFiles& files) const {
    write_file(dir.path() / "hzdb.db", files.database);
    write_file(dir.path() / "hzdb.idx", files.index);
  }
};

TEST(HzInfoTest, EveryEntryReadsBackByItsHanzi) {
  HanziFiles files;
  files.write(tiny_hanzi_files());
  QAHzInfo* handle = QAHzInfoOpen(files.database().c_str());
  ASSERT_NE(handle, nullptr);
  for (const QAHzInfoEntry& expected : tiny_hanzi_entries()) {
    QAHzInfoEntry got;
    ASSERT_EQ(QAHzInfoLookup(handle, expected.hanzi, &got), 0) << expected.hanzi;
    EXPECT_EQ(got.readings, expected.readings);
    EXPECT_EQ(got.traditional, expected.traditional);
    EXPECT_EQ(got.gb_set, expected.gb_set);
  }
  // A hanzi the file does not hold hashes to some record, which names another hanzi.
  EXPECT_EQ(QAHzInfoLookup(handle, "龘", nullptr), -1);
  QAHzInfoClose(handle);
}

TEST(HzInfoTest, QueriesReturnDecodedRecordsWithinTheCallersBuffer) {
  HanziFiles files;
  files.write(tiny_hanzi_files());
  QAHzInfo* handle = QAHzInfoOpen(files.database().c_str());
  ASSERT_NE(handle, nullptr);
  char record[QAHZINFO_RECORD_MAX];
  std::size_t length = sizeof record;
  ASSERT_EQ(QAHzInfoQuery(handle, "行", 3, record, &length), 0);
  EXPECT_EQ(std::string(record, length), "行\txing2,hang2,hang4,heng2\t\t1");

  length = 4;
  EXPECT_EQ(QAHzInfoQuery(handle, "行", 3, record, &length), -3);
  EXPECT_EQ(QAHzInfoQuery(nullptr, "行", 3, record, &length), -1);
  QAHzInfoClose(handle);
}

TEST(HzInfoTest, TheLastSlotBeforeTheTrailerIsReadable) {
  std::vector<QAHzInfoEntry> entries = tiny_hanzi_entries();
  HanziFiles files;
  files.write(tiny_hanzi_files());
  QAHzInfo* handle = QAHzInfoOpen(files.database().c_str());
  ASSERT_NE(handle, nullptr);
  bool found_last = false;
  for (const QAHzInfoEntry& entry : entries) {
    if (cmph_search(handle->index, entry.hanzi.data(), static_cast<cmph_uint32>(entry.hanzi.size())) ==
        handle->slot_count - 1) {
      found_last = true;
      EXPECT_EQ(QAHzInfoLookup(handle, entry.hanzi, nullptr), 0);
    }
  }
  EXPECT_TRUE(found_last);
  QAHzInfoClose(handle);
}

TEST(HzInfoTest, LongReadingListsAreCutToTheRecordLimit) {
  QAHzInfoEntry entry{"中", {}, "", '1'};
  for (int i = 0; i < 100; ++i) entry.readings.push_back("zhuang" + std::to_string(i % 4 + 1));
  std::string record = QAHzInfoFormatRecord(entry);
  EXPECT_LE(record.size(), QAHZINFO_RECORD_MAX);
  QAHzInfoEntry parsed;
  ASSERT_TRUE(QAHzInfoParseRecord(record, &parsed));
  EXPECT_GT(parsed.readings.size(), 10u);
  EXPECT_EQ(parsed.readings[0], "zhuang1");
  EXPECT_EQ(parsed.gb_set, '1');
}

TEST(HzInfoTest, WriterRefusesRepeatedOrEmptyHanzi) {
  std::string error;
  EXPECT_FALSE(mkdata::write_hzinfo({}, &error));
  EXPECT_FALSE(mkdata::write_hzinfo({{"中", {"zhong1"}, "", '1'}, {"中", {"zhong4"}, "", '1'}}, &error));
  EXPECT_FALSE(mkdata::write_hzinfo({{"", {"zhong1"}, "", '1'}}, &error));
}

struct Damage {
  const char* what;
  std::function<void(mkdata::HzInfoFiles&)> apply;
};

TEST(HzInfoDamageTest, DamagedOrMismatchedFilesAreRefusedWhenOpened) {
  const mkdata::HzInfoFiles good = tiny_hanzi_files();
  const mkdata::HzInfoFiles other = [] {
    std::string error;
    return *mkdata::write_hzinfo({{"中", {"zhong1"}, "", '1'}, {"国", {"guo2"}, "", '1'}}, &error);
  }();
  auto put_u32_from_end = [](std::string& b, std::size_t back, std::uint32_t v) {
    ime_write_be32(reinterpret_cast<unsigned char*>(b.data() + b.size() - back), v);
  };
  std::vector<Damage> damages = {
      {"empty database", [](mkdata::HzInfoFiles& f) { f.database.clear(); }},
      {"database cut by one byte", [](mkdata::HzInfoFiles& f) { f.database.pop_back(); }},
      {"database cut in half", [](mkdata::HzInfoFiles& f) { f.database.resize(f.database.size() / 2); }},
      {"table offset beyond the file",
       [&](mkdata::HzInfoFiles& f) { put_u32_from_end(f.database, 4, 0xFFFFFF00u); }},
      {"table offset moved", [&](mkdata::HzInfoFiles& f) { put_u32_from_end(f.database, 4, 8); }},
      {"header damaged", [](mkdata::HzInfoFiles& f) { f.database[2] ^= 0x11; }},
      {"header length beyond the records", [](mkdata::HzInfoFiles& f) { f.database[0] = '\xFF'; }},
      {"index missing", [](mkdata::HzInfoFiles& f) { f.index.clear(); }},
      {"index damaged", [](mkdata::HzInfoFiles& f) { f.index[f.index.size() / 2] ^= 0x40; }},
      {"index cut", [](mkdata::HzInfoFiles& f) { f.index.resize(f.index.size() - 3); }},
      {"index of another build", [&](mkdata::HzInfoFiles& f) { f.index = other.index; }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    mkdata::HzInfoFiles files = good;
    damage.apply(files);
    HanziFiles dir;
    dir.write(files);
    if (files.index.empty()) fs::remove(dir.dir.path() / "hzdb.idx");
    engine_test::LogCapture log;
    QAHzInfo* handle = QAHzInfoOpen(dir.database().c_str());
    EXPECT_EQ(handle, nullptr);
    QAHzInfoClose(handle);
    EXPECT_FALSE(engine_test::LogCapture::lines().empty());
  }
}

TEST(HzInfoDamageTest, ARecordOffsetOutsideTheRecordsFailsItsQueryOnly) {
  mkdata::HzInfoFiles files = tiny_hanzi_files();
  std::size_t table_at = ime_read_be32(
      reinterpret_cast<const unsigned char*>(files.database.data() + files.database.size() - 4));
  // Point every slot past the records; opening checks the framing, each query its record.
  for (std::size_t slot = table_at; slot + 4 < files.database.size(); slot += 4) {
    ime_write_be32(reinterpret_cast<unsigned char*>(files.database.data() + slot),
                   static_cast<std::uint32_t>(table_at));
  }
  HanziFiles dir;
  dir.write(files);
  QAHzInfo* handle = QAHzInfoOpen(dir.database().c_str());
  ASSERT_NE(handle, nullptr);
  char record[QAHZINFO_RECORD_MAX];
  std::size_t length = sizeof record;
  EXPECT_EQ(QAHzInfoQuery(handle, "中", 3, record, &length), -2);
  EXPECT_EQ(QAHzInfoLookup(handle, "中", nullptr), -2);
  QAHzInfoClose(handle);
}

TEST(HzInfoLoaderTest, TheEngineOpensTheResourceAndLogsAMissingOne) {
  {
    EngineRoot root;
    engine_test::LogCapture log;
    EXPECT_EQ(ime_load_hzdb(), -1);
    EXPECT_TRUE(logged("Hanzi information database not found!"));
  }
  {
    EngineRoot root;
    mkdata::HzInfoFiles files = tiny_hanzi_files();
    root.put_resource("hzdb.db", files.database);
    engine_test::LogCapture log;
    EXPECT_EQ(ime_load_hzdb(), -1);
    EXPECT_TRUE(logged("Open Hanzi information database failed!"));
    root.put_resource("hzdb.idx", files.index);
    EXPECT_EQ(ime_load_hzdb(), 0);
    EXPECT_EQ(QAHzInfoLookup(ime_hzdb, "中", nullptr), 0);
    ime_unload_hzdb();
  }
}

}  // namespace
}  // namespace table_test
