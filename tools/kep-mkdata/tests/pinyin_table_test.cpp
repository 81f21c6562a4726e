// The pinyin tables: what the writer lays out is what the engine's loader and queries read,
// and a damaged table is refused whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "CoreSource/base/bigendian.h"
#include "CoreSource/base/codec.h"
#include "table_fixture.h"

namespace table_test {
namespace {

std::vector<std::string> texts_of(const std::vector<ime_py_hit_t>& hits) {
  std::vector<std::string> texts;
  for (const ime_py_hit_t& hit : hits) texts.push_back(hit.record.simplified());
  return texts;
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(SyllableOrderTest, EachLetterRunStartsWithItsFirstSyllable) {
  std::vector<std::string> ordered =
      mkdata::order_syllables({"zuo", "ji", "zhang", "jia", "za", "zhi", "chi", "cha", "ca", "jiu",
                               "m", "ma", "n", "ng", "qi", "qia", "ran", "re"});
  std::string error;
  EXPECT_TRUE(mkdata::check_initial_runs(ordered, &error)) << error;
  auto at = [&](const char* s) { return std::find(ordered.begin(), ordered.end(), s) - ordered.begin(); };
  EXPECT_LT(at("jia"), at("ji"));
  EXPECT_LT(at("za"), at("zhang"));
  EXPECT_LT(at("zhi"), at("zuo"));
  EXPECT_LT(at("cha"), at("chi"));
  EXPECT_EQ(at("m") + 1, at("ma"));
}

TEST(SyllableOrderTest, RunsThatBreakTheReadersAssumptionAreRefused) {
  struct Case {
    std::vector<std::string> order;
    bool valid;
  } cases[] = {
      {{"jia", "ji", "jiu"}, true},
      {{"ji", "jia", "jiu"}, false},          // ji before jia: "j" would miss ji
      {{"jia", "ji", "ka", "jiu"}, false},    // a gap in the j run
      {{"za", "zuo", "zha", "zhi", "zi"}, true},
      {{"za", "zhi", "zha"}, false},          // zhi before zha: "zh" would miss zhi
      {{"zha", "za", "zhi"}, false},          // z run does not start at za
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(mkdata::check_initial_runs(c.order, &error), c.valid) << testing::PrintToString(c.order);
  }
}

TEST(PinyinTableTest, WrittenTableParsesBackRecordForRecord) {
  std::string table = tiny_pinyin_table();
  ime_py_layout_t layout;
  std::unordered_map<std::string, std::int64_t> syllables;
  std::string error;
  const auto* data = reinterpret_cast<const unsigned char*>(table.data());
  ASSERT_TRUE(ime_py_parse_table(data, table.size(), &layout, &syllables, &error)) << error;

  std::vector<mkdata::PinyinRecord> written = tiny_pinyin_records();
  EXPECT_EQ(layout.main_size, (written.size() + 1) * IME_PY_RECORD_SIZE);
  EXPECT_EQ(syllables.size(), 13u);
  for (const mkdata::PinyinRecord& expected : written) {
    // Each record lies in its syllable's group; find it there.
    std::int64_t at = syllables.at(expected.syllable);
    ime_py_record_t got;
    bool found = false;
    while (ime_py_decode_record(data, layout.main_size, at, &got) && got.syllable == expected.syllable) {
      if (got.simplified() == expected.simplified) {
        found = true;
        break;
      }
      at += IME_PY_RECORD_SIZE;
    }
    ASSERT_TRUE(found) << expected.syllable << " " << expected.simplified;
    EXPECT_EQ(got.traditional(), expected.traditional);
    EXPECT_EQ(got.hanzi_index, expected.hanzi_index);
    EXPECT_EQ(got.base_frequency, expected.base_frequency);
    EXPECT_EQ(got.tone_mask, expected.tone_mask);
    EXPECT_EQ(got.class_digit, expected.class_digit);
  }

  // The hanzi index gives each character its most used record: 行 under xing, not hang.
  std::unordered_map<std::string, std::int64_t> hanzi;
  ASSERT_TRUE(ime_py_read_hanzi_index(data, table.size(), &hanzi, &error)) << error;
  EXPECT_EQ(hanzi.size(), 13u);
  ime_py_record_t best;
  ASSERT_TRUE(ime_py_decode_record(data, layout.main_size, hanzi.at("行"), &best));
  EXPECT_STREQ(best.syllable, "xing");
}

TEST(PinyinTableTest, ATableWithoutAHanziIndexReadsTheSame) {
  const std::string full = tiny_pinyin_table();
  const std::string bare = without_hanzi_index(full);
  ASSERT_LT(bare.size(), full.size());
  const auto* full_data = reinterpret_cast<const unsigned char*>(full.data());
  const auto* bare_data = reinterpret_cast<const unsigned char*>(bare.data());
  std::string error;

  ime_py_layout_t full_layout;
  ime_py_layout_t bare_layout;
  std::unordered_map<std::string, std::int64_t> full_syllables;
  std::unordered_map<std::string, std::int64_t> bare_syllables;
  ASSERT_TRUE(ime_py_parse_table(full_data, full.size(), &full_layout, &full_syllables, &error)) << error;
  ASSERT_TRUE(ime_py_parse_table(bare_data, bare.size(), &bare_layout, &bare_syllables, &error)) << error;
  EXPECT_TRUE(full_layout.has_hanzi_index);
  EXPECT_FALSE(bare_layout.has_hanzi_index);
  EXPECT_EQ(bare_layout.main_size, full_layout.main_size);
  EXPECT_EQ(bare_layout.index_offset, bare_layout.main_size);
  EXPECT_EQ(bare_syllables, full_syllables);

  // Built from the records, the hanzi index is the one the generator stores.
  std::unordered_map<std::string, std::int64_t> stored;
  std::unordered_map<std::string, std::int64_t> built;
  ASSERT_TRUE(ime_py_read_hanzi_index(full_data, full.size(), &stored, &error)) << error;
  ASSERT_TRUE(ime_py_read_hanzi_index(bare_data, bare.size(), &built, &error)) << error;
  EXPECT_EQ(built, stored);
  EXPECT_EQ(built.size(), 13u);
}

TEST(PinyinTableTest, RecordsAreStoredUnderTheCodec) {
  std::string table = tiny_pinyin_table();
  std::size_t records = (tiny_pinyin_records().size() + 1) * IME_PY_RECORD_SIZE;
  // No syllable text appears in clear among the records (only in the syllable index).
  EXPECT_EQ(table.substr(0, records).find("zhong"), std::string::npos);
  EXPECT_NE(table.find("zhong", records), std::string::npos);
  std::string first_syllable = table.substr(0, 6);
  ime_decode_str(first_syllable.data(), first_syllable.size());
  EXPECT_EQ(first_syllable, std::string("a\0\0\0\0\0", 6));
}

class PinyinQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.put_tiny_tables();
    ASSERT_EQ(ime_load_py(), 0);
    ASSERT_EQ(ime_load_py_ext(), 0);
  }
  void TearDown() override { ime_unload_py(); }
  EngineRoot root_;
};

TEST_F(PinyinQueryTest, FullSyllablesFindTheirGroupInTableOrder) {
  struct Case {
    const char* syllable;
    int tone_mask;
    std::vector<std::string> texts;
  } cases[] = {
      {"zhong", 15, {"中", "种"}}, {"zhong", 1, {"中"}}, {"zhong", 4, {"种"}},
      {"xing", 15, {"行"}},        {"a", 15, {"啊"}},    {"jia", 15, {"家"}},
  };
  for (const Case& c : cases) {
    std::vector<ime_py_hit_t> hits;
    EXPECT_EQ(ime_query_py_records(c.syllable, c.tone_mask, &hits), static_cast<int>(c.texts.size()))
        << c.syllable;
    EXPECT_EQ(texts_of(hits), c.texts) << c.syllable << " tones " << c.tone_mask;
    for (const ime_py_hit_t& hit : hits) EXPECT_FALSE(hit.initial_only);
  }
}

TEST_F(PinyinQueryTest, InitialsScanEveryGroupOfTheirRun) {
  struct Case {
    const char* initial;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      {"j", {"家", "几", "就"}, {"中"}},
      {"z", {"杂", "扎", "中", "种", "张"}, {"家"}},
      {"zh", {"扎", "中", "种", "张"}, {"杂"}},
      {"f", {"发"}, {"行"}},
      {"m", {"呣"}, {"嗯"}},  // a one-letter syllable is typed as its initial
      {"n", {"嗯"}, {"呣"}},
  };
  for (const Case& c : cases) {
    std::vector<ime_py_hit_t> hits;
    ASSERT_GT(ime_query_py_records(c.initial, 15, &hits), 0) << c.initial;
    std::vector<std::string> texts = texts_of(hits);
    for (const std::string& t : c.present) EXPECT_TRUE(contains(texts, t)) << c.initial << " lacks " << t;
    for (const std::string& t : c.absent) EXPECT_FALSE(contains(texts, t)) << c.initial << " has " << t;
    for (const ime_py_hit_t& hit : hits) EXPECT_TRUE(hit.initial_only);
  }
}

TEST_F(PinyinQueryTest, UnknownOrUnusableInputsFindNothing) {
  for (const char* input : {"", "zhongg", "qqq", "v", "ZHONG", "bai", "toolongx"}) {
    std::vector<ime_py_hit_t> hits;
    EXPECT_EQ(ime_query_py_records(input, 15, &hits), -1) << input;
    EXPECT_TRUE(hits.empty());
  }
  std::vector<ime_py_hit_t> hits;
  EXPECT_EQ(ime_query_py_records(nullptr, 15, &hits), -1);
}

TEST_F(PinyinQueryTest, TheExtensionTableIsScannedWhole) {
  std::vector<ime_py_hit_t> hits;
  EXPECT_EQ(ime_query_py_ext_records("fa", 15, &hits), 1);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].record.traditional(), "髮");
  hits.clear();
  EXPECT_EQ(ime_query_py_ext_records("h", 15, &hits), 1);
  EXPECT_EQ(ime_query_py_ext_records("fa", 2, &hits), 0);
}

// Damages a copy of a table in one way.
struct Damage {
  const char* what;
  std::function<void(std::string&)> apply;
};

void put_u32_at(std::string& bytes, std::size_t at, std::uint32_t value) {
  ime_write_be32(reinterpret_cast<unsigned char*>(bytes.data() + at), value);
}

std::uint32_t u32_at(const std::string& bytes, std::size_t at) {
  return ime_read_be32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

TEST(PinyinTableDamageTest, EveryDamagedTableIsRefusedWithALogLine) {
  const std::string good = tiny_pinyin_table();
  const std::size_t index_size = u32_at(good, good.size() - 4);
  const std::size_t index_at = good.size() - 4 - index_size;
  const std::size_t hanzi_size = u32_at(good, index_at - 4);
  const std::size_t main_size = index_at - 4 - hanzi_size;

  std::vector<Damage> damages = {
      {"empty", [](std::string& b) { b.clear(); }},
      {"three bytes", [](std::string& b) { b.resize(3); }},
      {"cut by one byte", [](std::string& b) { b.pop_back(); }},
      {"cut in the middle", [](std::string& b) { b.resize(b.size() / 2); }},
      {"cut to the records", [&](std::string& b) { b.resize(main_size); }},
      {"syllable index size beyond the file", [](std::string& b) { put_u32_at(b, b.size() - 4, 0xFFFFFFF0u); }},
      {"syllable index size not whole records", [](std::string& b) { put_u32_at(b, b.size() - 4, 16); }},
      {"hanzi index size beyond the file", [&](std::string& b) { put_u32_at(b, index_at - 4, 0x7FFFFFFFu); }},
      {"hanzi index size not whole records", [&](std::string& b) { put_u32_at(b, index_at - 4, 15); }},
      {"syllable offset beyond the records", [&](std::string& b) { b.replace(index_at + 7, 8, "99999974"); }},
      {"syllable offset inside a record", [&](std::string& b) { b.replace(index_at + 7, 8, "00000013"); }},
      {"syllable offset not a number", [&](std::string& b) { b.replace(index_at + 7, 8, "0000x000"); }},
      {"hanzi offset beyond the records", [&](std::string& b) { b.replace(main_size + 5, 9, "999999999"); }},
      {"record class not a digit", [](std::string& b) { b[24] = 'x'; }},
      {"record text lengths beyond the field", [](std::string& b) { b[10] = 9; }},
      {"end record damaged", [&](std::string& b) { b[main_size - 26] ^= 0x55; }},
      {"end record replaced by a record",
       [&](std::string& b) { b.replace(main_size - 26, 26, b.substr(main_size - 52, 26)); }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    EngineRoot root;
    std::string bytes = good;
    damage.apply(bytes);
    root.put_resource("pinyin.db", bytes);
    engine_test::LogCapture log;
    EXPECT_EQ(ime_load_py(), -1);
    EXPECT_EQ(ime_py_hash, nullptr);
    EXPECT_EQ(ime_py_info.address, nullptr);
    EXPECT_FALSE(engine_test::LogCapture::lines().empty());
    std::vector<ime_py_hit_t> hits;
    EXPECT_EQ(ime_query_py_records("zhong", 15, &hits), -1);
  }
}

// Without a hanzi index the syllable index follows the end record at once; anything else
// between them must be a whole hanzi index with its size, or the table is refused.
TEST(PinyinTableDamageTest, BytesBetweenTheRecordsAndTheSyllableIndexMustBeAHanziIndex) {
  const std::string bare = without_hanzi_index(tiny_pinyin_table());
  const std::size_t index_at = bare.size() - 4 - u32_at(bare, bare.size() - 4);
  auto insert_before_index = [&](std::string& b, const std::string& bytes) { b.insert(index_at, bytes); };
  auto size_bytes = [](std::uint32_t value) {
    std::string bytes(4, '\0');
    put_u32_at(bytes, 0, value);
    return bytes;
  };
  const std::string entry = "\xe4\xb8\xad  000000000";  // 中 at the first record

  std::vector<Damage> damages = {
      {"one stray byte", [&](std::string& b) { insert_before_index(b, "x"); }},
      {"a hanzi entry without its size", [&](std::string& b) { insert_before_index(b, entry); }},
      {"a hanzi entry with a size too large", [&](std::string& b) { insert_before_index(b, entry + size_bytes(28)); }},
      {"a hanzi entry with a size too small", [&](std::string& b) { insert_before_index(b, entry + size_bytes(0)); }},
      {"a size alone that claims an entry", [&](std::string& b) { insert_before_index(b, size_bytes(14)); }},
      {"the end record cut away", [&](std::string& b) { b.erase(index_at - IME_PY_RECORD_SIZE, IME_PY_RECORD_SIZE); }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    std::string bytes = bare;
    damage.apply(bytes);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::unordered_map<std::string, std::int64_t> syllables;
    std::unordered_map<std::string, std::int64_t> hanzi;
    std::string error;
    EXPECT_FALSE(ime_py_parse_table(data, bytes.size(), nullptr, &syllables, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(syllables.empty());
    EXPECT_FALSE(ime_py_read_hanzi_index(data, bytes.size(), &hanzi, &error));
  }
  // The same entry with its right size is a hanzi index, and is read as one.
  std::string bytes = bare;
  insert_before_index(bytes, entry + size_bytes(14));
  std::unordered_map<std::string, std::int64_t> hanzi;
  std::string error;
  ASSERT_TRUE(ime_py_read_hanzi_index(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                      &hanzi, &error)) << error;
  EXPECT_EQ(hanzi, (std::unordered_map<std::string, std::int64_t>{{"中", 0}}));
}

TEST(PinyinTableDamageTest, DamagedExtensionTablesAreRefused) {
  const std::string good = tiny_extension_table();
  std::vector<Damage> damages = {
      {"empty", [](std::string& b) { b.clear(); }},
      {"not whole records", [](std::string& b) { b.pop_back(); }},
      {"end record missing", [](std::string& b) { b.resize(b.size() - IME_PY_RECORD_SIZE); }},
      {"record class not a digit", [](std::string& b) { b[24] = 'x'; }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    EngineRoot root;
    std::string bytes = good;
    damage.apply(bytes);
    root.put_resource("pinyin2.db", bytes);
    engine_test::LogCapture log;
    EXPECT_EQ(ime_load_py_ext(), -1);
    EXPECT_EQ(ime_pyext_info.address, nullptr);
    EXPECT_FALSE(engine_test::LogCapture::lines().empty());
  }
}

}  // namespace
}  // namespace table_test
