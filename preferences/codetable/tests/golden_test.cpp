// The exact bytes the compiler writes for the source "a x y", "b z", "a w", worked out by hand
// from the file layout: four pairs, so weights 4, 3, 2, 1 in source order.
#include <cmph.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "codetable_fixture.h"

namespace {

using codetable_test::build_table;
using codetable_test::read_file;
using codetable_test::ScratchDir;

const std::string kSource = "a x y\nb z\na w\n";

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::vector<std::pair<std::string, long long>> plugdb_rows(const std::string& path) {
  sqlite3* db = nullptr;
  std::vector<std::pair<std::string, long long>> rows;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, "select key, loc from plugdb order by rowid", -1, &statement, nullptr),
            SQLITE_OK);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                      sqlite3_column_int64(statement, 1));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

TEST(CodeTableGolden, Version20KeepsSourceOrderAndOneRowPerRun) {
  ScratchDir dir;
  ASSERT_EQ(build_table(dir, "t", kSource, 20), "");
  const std::string expected = std::string("KEPPLUGDB 20") +
                               bytes({1, 'a', 0, 1, 'x', 0, 0, 0, 4}) +  // offset 12
                               bytes({1, 'a', 0, 1, 'y', 0, 0, 0, 3}) +  // 21
                               bytes({1, 'b', 0, 1, 'z', 0, 0, 0, 2}) +  // 30
                               bytes({1, 'a', 0, 1, 'w', 0, 0, 0, 1}) +  // 39
                               bytes({1}) +                             // end mark
                               bytes({0, 0, 0, 4});                     // pair count
  EXPECT_EQ(read_file(dir / "t.qdb"), expected);

  const std::vector<std::pair<std::string, long long>> rows = {{"a", 12}, {"b", 30}, {"a", 39}};
  EXPECT_EQ(plugdb_rows(dir / "t.idx"), rows);
}

TEST(CodeTableGolden, Version10SortsByCodeAndIndexesEveryRunAndFirstByte) {
  ScratchDir dir;
  ASSERT_EQ(build_table(dir, "t", kSource, 10), "");
  const std::string expected = std::string("KEPPLUGDB 10") +
                               bytes({1, 'a', 0, 1, 'w', 0, 0, 0, 1}) +  // offset 12
                               bytes({1, 'a', 0, 1, 'x', 0, 0, 0, 4}) +  // 21
                               bytes({1, 'a', 0, 1, 'y', 0, 0, 0, 3}) +  // 30
                               bytes({1, 'b', 0, 1, 'z', 0, 0, 0, 2}) +  // 39
                               bytes({0}) +                             // end mark, offset 48
                               bytes({0, 0, 0, 12}) +                   // a
                               bytes({0, 0, 0, 12}) +                   // !!a
                               bytes({0, 0, 0, 39}) +                   // b
                               bytes({0, 0, 0, 39}) +                   // !!b
                               bytes({0, 0, 0, 49});                    // offset table position
  EXPECT_EQ(read_file(dir / "t.qdb"), expected);

  // The index numbers the key list in order: key i selects offset slot i.
  std::FILE* file = std::fopen((dir / "t.idx").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  cmph_t* hash = cmph_load(file);
  std::fclose(file);
  ASSERT_NE(hash, nullptr);
  EXPECT_EQ(cmph_size(hash), 4u);
  const char* keys[] = {"a", "!!a", "b", "!!b"};
  for (cmph_uint32 i = 0; i < 4; ++i) {
    EXPECT_EQ(cmph_search(hash, keys[i], static_cast<cmph_uint32>(std::strlen(keys[i]))), i) << keys[i];
  }
  cmph_destroy(hash);
}

}  // namespace
