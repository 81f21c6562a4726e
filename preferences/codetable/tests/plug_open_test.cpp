// Damaged code tables: every truncation, a foreign or broken index, lying offsets and counts.
// A table either fails to open or answers only what it really holds; nothing is read out of
// bounds (the suite runs under AddressSanitizer).
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "plug_fixture.h"

namespace {

using plug_test::PlugTest;
using plug_test::sorted;
using Texts = std::vector<std::string>;

const std::string kSource = "a x y\nb z\na w\n";

class Damaged : public PlugTest {
 protected:
  void build(int version) {
    ASSERT_EQ(codetable_test::build_table(dir_, "t", kSource, version), "");
    data_ = codetable_test::read_file(dir_ / "t.qdb");
    index_ = codetable_test::read_file(dir_ / "t.idx");
  }
  void put(const std::string& file, const std::string& bytes) {
    ime_plug_close();
    std::filesystem::remove(dir_ / file);
    codetable_test::write_file(dir_ / file, bytes);
  }
  bool opens() { return ime_plug_open(pct().c_str(), '*', 1) == 0; }

  // Whatever an opened table answers must be among the true answers.
  void expect_only_true_answers() {
    ime_plug_query_type = 1;
    const Texts a = texts("a");
    const Texts all = texts("*");
    for (const std::string& text : a) EXPECT_TRUE(text == "x" || text == "y" || text == "w") << text;
    for (const std::string& text : all) EXPECT_TRUE(text == "x" || text == "y" || text == "w" || text == "z") << text;
    EXPECT_LE(a.size(), 3u);
    EXPECT_LE(all.size(), 4u);
  }

  std::string data_;
  std::string index_;
};

class EachVersionDamaged : public Damaged, public testing::WithParamInterface<int> {};

TEST_P(EachVersionDamaged, IntactTableAnswersEverything) {
  build(GetParam());
  ASSERT_TRUE(opens());
  ime_plug_query_type = 1;
  EXPECT_EQ(sorted(texts("a")), sorted({"x", "y", "w"}));
  EXPECT_EQ(sorted(texts("*")), sorted({"x", "y", "w", "z"}));
}

TEST_P(EachVersionDamaged, EveryTruncatedDataFileFailsOrAnswersTruly) {
  build(GetParam());
  for (std::size_t size = 0; size < data_.size(); ++size) {
    SCOPED_TRACE("data file cut to " + std::to_string(size));
    put("t.qdb", data_.substr(0, size));
    if (opens()) expect_only_true_answers();
  }
  // The cuts the framing must catch: no tail, and the tail gone.
  for (std::size_t size : {std::size_t{0}, std::size_t{12}, std::size_t{15}, data_.size() - 1}) {
    put("t.qdb", data_.substr(0, size));
    EXPECT_FALSE(opens()) << size;
  }
}

TEST_P(EachVersionDamaged, ForeignOrBrokenHeaderIsRefused) {
  build(GetParam());
  for (const char* header : {"KEPPLUGDB 30", "KEPPLUGDB 2 ", "KEPPLUGDX 20", "kepplugdb 10"}) {
    std::string bytes = data_;
    bytes.replace(0, 12, header);
    put("t.qdb", bytes);
    EXPECT_FALSE(opens()) << header;
  }
}

TEST_P(EachVersionDamaged, MissingOrForeignIndexIsRefused) {
  build(GetParam());
  ime_plug_close();
  std::filesystem::remove(dir_ / "t.idx");
  EXPECT_FALSE(opens());
  for (const std::string& bytes : {std::string(), std::string("not an index at all, only text\n"), index_.substr(0, 40)}) {
    put("t.idx", bytes);
    EXPECT_FALSE(opens()) << bytes.size();
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, EachVersionDamaged, testing::Values(20, 10),
                         [](const testing::TestParamInfo<int>& info) {
                           return "version" + std::to_string(info.param);
                         });

TEST_F(Damaged, EveryTruncatedChmIndexIsRefused) {
  build(10);
  for (std::size_t size = 0; size < index_.size(); ++size) {
    put("t.idx", index_.substr(0, size));
    EXPECT_FALSE(opens()) << "index cut to " << size;
  }
  std::string longer = index_ + std::string(4, '\0');
  put("t.idx", longer);
  EXPECT_FALSE(opens());
}

TEST_F(Damaged, ChmIndexOfAnotherKeyCountIsRefused) {
  build(10);
  ASSERT_EQ(codetable_test::build_table(dir_, "u", "c p\nd q\ne r\n", 10), "");
  put("t.idx", codetable_test::read_file(dir_ / "u.idx"));
  EXPECT_FALSE(opens());
}

// An index of the same key count over other codes opens, and the landing checks keep its
// answers true.
TEST_F(Damaged, ChmIndexOfOtherCodesAnswersOnlyTruly) {
  build(10);
  ASSERT_EQ(codetable_test::build_table(dir_, "u", "c p\nd q\n", 10), "");
  put("t.idx", codetable_test::read_file(dir_ / "u.idx"));
  ASSERT_TRUE(opens());
  expect_only_true_answers();
}

TEST_F(Damaged, OffsetTableOutsideTheRecordsAnswersNothing) {
  build(10);
  std::string bytes = data_;
  const std::size_t table = bytes.size() - 4 - 16;
  for (std::size_t slot = 0; slot < 4; ++slot) {
    const char far[4] = {0, 0x10, 0, 0};  // 1 MiB: beyond the file
    bytes.replace(table + slot * 4, 4, far, 4);
  }
  put("t.qdb", bytes);
  ASSERT_TRUE(opens());
  ime_plug_query_type = 1;
  EXPECT_EQ(texts("a"), Texts{});
  EXPECT_EQ(texts("ab"), Texts{});
  // A wildcard first key walks the records themselves, without the offsets.
  EXPECT_EQ(sorted(texts("*")), sorted({"x", "y", "w", "z"}));
}

TEST_F(Damaged, RowCountTheDataFileCannotHoldIsRefused) {
  build(20);
  for (const std::string& tail : {std::string("\0\0\0\0", 4), std::string("\x7f\xff\xff\xff", 4),
                                  std::string("\0\0\0\x06", 4)}) {
    std::string bytes = data_;
    bytes.replace(bytes.size() - 4, 4, tail);
    put("t.qdb", bytes);
    EXPECT_FALSE(opens());
  }
}

TEST_F(Damaged, IndexRowsPointingAnywhereAnswerOnlyTruly) {
  build(20);
  ime_plug_close();
  for (long long loc : {0LL, 5LL, 13LL, 21LL, 47LL, 52LL, 100000LL, -1LL}) {
    SCOPED_TRACE("loc " + std::to_string(loc));
    put("t.idx", index_);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ / "t.idx").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* update = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "update plugdb set loc = ?1", -1, &update, nullptr), SQLITE_OK);
    sqlite3_bind_int64(update, 1, loc);
    EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
    sqlite3_finalize(update);
    sqlite3_close(db);
    ASSERT_TRUE(opens());
    expect_only_true_answers();
  }
}

// A code length of 64 ends the walk of its run: the records before it are answered.
TEST_F(Damaged, CodeLengthOf64EndsTheRun) {
  build(20);
  std::string bytes = data_;
  bytes[21] = 64;  // the record of y, second of the run of a at 12
  put("t.qdb", bytes);
  ASSERT_TRUE(opens());
  ime_plug_query_type = 1;
  EXPECT_EQ(sorted(texts("a")), sorted({"x", "w"}));
  const auto& lines = engine_test::LogCapture::lines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("The key length is:64") != std::string::npos;
  }));
}

}  // namespace
