// The extra-code database of a code table.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "codetable_fixture.h"
#include "extra_codes.h"

namespace {

using codetable::ExtraCode;
using codetable_test::ScratchDir;

std::vector<std::string> schema_names(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "select name from sqlite_master order by name", -1, &statement, nullptr);
  std::vector<std::string> names;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return names;
}

TEST(ExtraCodes, SaveReplacesEveryRowAndKeepsTextAsTyped) {
  ScratchDir dir;
  const std::string path = dir / "t.ex";
  std::string error;
  const std::vector<ExtraCode> first = {{"a", "啊", 5}, {"it's", "l'été", 0}, {"x'); drop table exdb; --", "y", 2}};
  ASSERT_TRUE(codetable::ReplaceExtraCodes(path, first, &error)) << error;
  EXPECT_EQ(schema_names(path), (std::vector<std::string>{"exdb", "ix_exdb"}));

  std::vector<ExtraCode> read;
  ASSERT_TRUE(codetable::ReadExtraCodes(path, &read, &error)) << error;
  EXPECT_EQ(read, first);

  const std::vector<ExtraCode> second = {{"b", "不", 1}};
  ASSERT_TRUE(codetable::ReplaceExtraCodes(path, second, &error)) << error;
  ASSERT_TRUE(codetable::ReadExtraCodes(path, &read, &error)) << error;
  EXPECT_EQ(read, second);
}

TEST(ExtraCodes, MissingDatabaseCannotBeListed) {
  ScratchDir dir;
  std::vector<ExtraCode> read;
  std::string error;
  EXPECT_FALSE(codetable::ReadExtraCodes(dir / "none.ex", &read, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(codetable_test::folder_names(dir.path()).empty());
}

}  // namespace
