// The dictionary index is the file ndbm keeps: what one side writes the other reads.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "dict/dictindex.h"
#include "engine_test_support.h"

#define DB_DBM_HSEARCH 1
#include <db.h>
// Only ndbm's own calls are used; db.h also renames the historic dbm ones.
#undef fetch
#undef store

namespace {

using engine_test::TempDir;

datum bytes(const std::string& text) {
  datum d;
  d.dptr = const_cast<char*>(text.data());
  d.dsize = static_cast<decltype(d.dsize)>(text.size());
  return d;
}

TEST(DictIndex, NdbmReadsWhatTheIndexWrites) {
  TempDir temp;
  const std::string base = (temp / "dict_idx").string();
  dictindex::Handle* index = dictindex::open_create(base);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(dictindex::insert(index, "zK", std::string("\0\0\0\0\0\0\0\1\0", 9)), dictindex::StoreResult::Stored);
  EXPECT_EQ(dictindex::insert(index, "zK", "again"), dictindex::StoreResult::Exists);
  EXPECT_EQ(dictindex::replace(index, "FF", "v2"), dictindex::StoreResult::Stored);
  EXPECT_TRUE(dictindex::close(index));
  EXPECT_TRUE(std::filesystem::exists(temp / "dict_idx.db"));

  DBM* dbm = dbm_open(const_cast<char*>(base.c_str()), O_RDONLY, 0);
  ASSERT_NE(dbm, nullptr);
  const std::string key = "zK";
  datum found = dbm_fetch(dbm, bytes(key));
  ASSERT_NE(found.dptr, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(found.dptr), found.dsize), std::string("\0\0\0\0\0\0\0\1\0", 9));
  dbm_close(dbm);
}

// Berkeley DB trusts its pages: a hash page whose item offsets point outside the page made a
// lookup read wild memory. A damaged index is refused when it is opened.
TEST(DictIndex, IndexWithDamagedPageIsRefused) {
  TempDir temp;
  const std::string base = (temp / "dict_idx").string();
  dictindex::Handle* index = dictindex::open_create(base);
  ASSERT_NE(index, nullptr);
  for (const char* key : {"zK", "wm", "ZKr", "nh", "KJ"}) {
    ASSERT_EQ(dictindex::insert(index, key, std::string(9, '\1')), dictindex::StoreResult::Stored);
  }
  ASSERT_TRUE(dictindex::close(index));
  const auto path = temp / "dict_idx.db";
  std::string file = engine_test::read_file(path);
  ASSERT_EQ(file.size(), 3u * 4096);
  // The item offsets of the first hash page (after its 26-byte header) as the fuzzer left them.
  file.replace(4096 + 29, 7, "VERSION");
  engine_test::write_file(path, file);

  dictindex::Handle* damaged = dictindex::open_read(base);
  if (damaged != nullptr) {
    for (const char* key : {"zK", "wm", "ZKr", "nh", "KJ", "xx"}) dictindex::fetch(damaged, key);
    dictindex::close(damaged);
  }
  EXPECT_EQ(damaged, nullptr);
}

TEST(DictIndex, ReadsWhatNdbmWrites) {
  TempDir temp;
  const std::string base = (temp / "dict_idx").string();
  DBM* dbm = dbm_open(const_cast<char*>(base.c_str()), O_RDWR | O_CREAT, 0660);
  ASSERT_NE(dbm, nullptr);
  const std::string key = "abcd";
  const std::string value = "value";
  ASSERT_EQ(dbm_store(dbm, bytes(key), bytes(value), DBM_INSERT), 0);
  dbm_close(dbm);

  dictindex::Handle* index = dictindex::open_read(base);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(dictindex::fetch(index, "abcd"), "value");
  EXPECT_EQ(dictindex::fetch(index, "abc"), std::nullopt);
  EXPECT_EQ(dictindex::insert(index, "new", "x"), dictindex::StoreResult::Failed);  // read-only
  dictindex::close(index);
}

TEST(DictIndex, AFileThatIsNoIndexDoesNotOpen) {
  TempDir temp;
  engine_test::LogCapture log;
  engine_test::write_file(temp / "dict_idx.db", std::string(8192, '\x5A'));
  EXPECT_EQ(dictindex::open_read((temp / "dict_idx").string()), nullptr);
  EXPECT_EQ(dictindex::open_read((temp / "absent").string()), nullptr);
  engine_test::write_file(temp / "short_idx.db", "tiny");
  EXPECT_EQ(dictindex::open_read((temp / "short_idx").string()), nullptr);
}

}  // namespace
