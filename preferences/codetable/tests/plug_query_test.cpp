// The engine's code-table query over tables of both versions: exact, prefix and wildcard
// searches, ranking, usage counters, extra codes.
#include <sys/stat.h>

#include <ostream>
#include <string>
#include <vector>

#include "CoreSource/dict/plugfmt.h"
#include "CoreSource/query/candidate_freq.h"
#include "extra_codes.h"
#include "plug_fixture.h"
#include "table_index.h"

namespace {

using plug_test::PlugTest;
using plug_test::sorted;
using Texts = std::vector<std::string>;

const std::string kSource =
    "a 啊 阿\n"
    "ab 爱\n"
    "abc 挨\n"
    "abd 癌\n"
    "b 不\n"
    "ac 擦\n"
    "bcd 的\n"
    "AB 大\n";

struct QueryCase {
  const char* name;
  std::string code;
  int query_type;  // 0 prefix search, 1 exact search
  Texts version20;
  Texts version10;
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }

class Queries : public PlugTest, public testing::WithParamInterface<QueryCase> {};

TEST_P(Queries, AnswerTheSameCodesInBothVersions) {
  const QueryCase& c = GetParam();
  for (int version : {20, 10}) {
    SCOPED_TRACE("version " + std::to_string(version));
    ime_plug_close();
    open(kSource, version);
    ime_plug_query_type = c.query_type;
    EXPECT_EQ(sorted(texts(c.code)), sorted(version == 20 ? c.version20 : c.version10));
  }
}

const Texts kAllA = {"啊", "阿", "爱", "挨", "癌", "擦"};
// Version 20 also finds the code AB (大) for the lower-case "a".
Texts with_upper_ab(Texts texts) {
  texts.push_back("大");
  return texts;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Queries,
    testing::Values(
        QueryCase{"prefix_finds_longer_codes", "a", 0, with_upper_ab(kAllA), kAllA},
        QueryCase{"exact_finds_the_code_only", "a", 1, {"啊", "阿"}, {"啊", "阿"}},
        QueryCase{"prefix_two_keys", "ab", 0, {"爱", "挨", "癌", "大"}, {"爱", "挨", "癌"}},
        QueryCase{"exact_two_keys", "ab", 1, {"爱"}, {"爱"}},
        QueryCase{"prefix_at_longest_code_is_exact", "abc", 0, {"挨"}, {"挨"}},
        // "bc" is no code of its own, only the start of "bcd".
        QueryCase{"prefix_of_codes_only", "bc", 0, {"的"}, {"的"}},
        QueryCase{"wildcard_inside", "a*c", 0, {"挨"}, {"挨"}},
        // Version 10 takes a wildcard code at its own length, version 20 as a prefix.
        QueryCase{"wildcard_last", "a*", 0, {"爱", "挨", "癌", "擦", "大"}, {"爱", "擦"}},
        QueryCase{"wildcard_first", "*b", 0, {"爱", "挨", "癌", "大"}, {"爱"}},
        QueryCase{"wildcards_only", "**", 1, {"爱", "挨", "癌", "擦", "的", "大"}, {"爱", "擦", "大"}},
        // Version 20's patterns ignore ASCII case; equality and version 10 keep it.
        QueryCase{"upper_case_prefix", "A", 0, with_upper_ab(kAllA), {"大"}},
        QueryCase{"mixed_case_prefix", "Ab", 0, {"爱", "挨", "癌", "大"}, {}},
        QueryCase{"upper_case_wildcard", "A*c", 0, {"挨"}, {}},
        QueryCase{"exact_keeps_case", "AB", 1, {"大"}, {"大"}},
        QueryCase{"pattern_characters_are_plain_keys", "a?", 0, {}, {}},
        QueryCase{"unknown_code", "ad", 0, {}, {}},
        QueryCase{"unknown_first_key", "q", 0, {}, {}}),
    [](const testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });

// Keys that are pattern characters to SQL are plain keys of a code, in any case.
TEST_F(PlugTest, PatternCharactersInCodesAreKeys) {
  open("a_ 下\nab 爱\na%c 百\nA\\ 斜\n", 20);
  const std::pair<std::string, Texts> cases[] = {
      {"a_", {"下"}}, {"A_", {"下"}}, {"a%", {"百"}}, {"a\\", {"斜"}}, {"a", {"下", "爱", "百", "斜"}},
  };
  for (const auto& [code, expected] : cases) EXPECT_EQ(sorted(texts(code)), sorted(expected)) << code;
}

TEST_F(PlugTest, Version20RanksNearerLengthsFirstThenTheRun) {
  open(kSource, 20);
  const Texts answer = texts("a");
  ASSERT_EQ(answer.size(), 7u);
  // Code a itself (two records of one run, the second one less), then the two-key codes (AB
  // among them), then the three-key ones.
  EXPECT_EQ(Texts(answer.begin(), answer.begin() + 2), (Texts{"啊", "阿"}));
  EXPECT_EQ(sorted(Texts(answer.begin() + 2, answer.begin() + 5)), sorted({"爱", "擦", "大"}));
  EXPECT_EQ(sorted(Texts(answer.begin() + 5, answer.end())), sorted({"挨", "癌"}));
}

TEST_F(PlugTest, Version10KeepsFileOrder) {
  open(kSource, 10);
  EXPECT_EQ(texts("a"), kAllA);
}

TEST_F(PlugTest, CandidatesCarryCodeTextAndRecordNumber) {
  open("a x y\nb z\na w\n", 20);
  const std::vector<ime_query_result_t> answer = results("b");
  ASSERT_EQ(answer.size(), 1u);
  const ime_query_result_t& r = answer[0];
  EXPECT_EQ(r.type, IME_RESULT_OTHER);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.hz), r.hlen), "z");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.thz), r.thlen), "z");
  EXPECT_EQ(std::string(r.sm, r.plen), "b");
  EXPECT_EQ(r.index, 2u);  // the third pair of four
  // max 3, exact length: |3 - 0| x 10000 + 1000
  EXPECT_EQ(r.freq, 31000u);
  EXPECT_EQ(r.matval, 31000u | 0x80000000u);
}

class Counters : public PlugTest, public testing::WithParamInterface<int> {};

// A record's usage counter lifts it and, as the score runs on, the records after it in its run.
// The first record's number is the pair count, so the counter file holds one row more.
TEST_P(Counters, LiftRecordsAndTheRestOfTheirRun) {
  ime_freq_mode = GetParam();
  open("k 甲 乙\nm 丙\n", 20, '*', 1);
  struct stat st;
  ASSERT_EQ(::stat((dir_ / "t.freq").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 4 * 4);

  QAFreqSetValue(ime_plug_obj->freq, 3, 2);  // 甲, the first pair
  std::vector<ime_query_result_t> answer = results("k");
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0].index, 3u);
  EXPECT_EQ(answer[0].freq, 10000u + 1000 + 2 * 100000);
  EXPECT_EQ(answer[1].index, 2u);
  EXPECT_EQ(answer[1].freq, 10000u + 1000 + 2 * 100000 - 1);

  QAFreqSetValue(ime_plug_obj->freq, 2, 5);  // 乙 overtakes
  answer = results("k");
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0].index, 2u);
  EXPECT_EQ(answer[0].freq, 10000u + 1000 + 2 * 100000 - 1 + 5 * 100000);
}

INSTANTIATE_TEST_SUITE_P(FrequencyModes, Counters, testing::Values(0, 1));

TEST_F(PlugTest, ExtraCodesJoinTheAnswersThroughBoundValues) {
  std::string error;
  ASSERT_TRUE(codetable::ReplaceExtraCodes(dir_ / "t.ex", {{"a", "额", 5}, {"zz", "新", 0}, {"it's", "引", 1}},
                                           &error))
      << error;
  open(kSource, 20);
  ime_plug_query_type = 1;
  std::vector<ime_query_result_t> answer = results("a");
  ASSERT_EQ(answer.size(), 3u);
  const ime_query_result_t& extra = answer.back();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(extra.hz), extra.hlen), "额");
  EXPECT_EQ(extra.index, IME_PLUG_EXTRA_INDEX);
  EXPECT_EQ(extra.freq, 30000u + 5);

  ime_freq_mode = 2;
  EXPECT_EQ(results("a").back().freq, 30000u);
  ime_freq_mode = 0;

  EXPECT_EQ(texts("it's"), Texts{"引"});
  EXPECT_EQ(texts("a' or '1'='1"), Texts{});
  EXPECT_EQ(texts("a"), (Texts{"啊", "阿", "额"}));
  ime_plug_query_type = 0;
  EXPECT_EQ(texts("z*"), Texts{"新"});
}

// The frequency operations of every candidate kind reach a table answer's count: a record's
// counter, an extra code's freq column (found by code and text; it stops at -1 going down).
// Outside the code-table scheme, or once the keys fell back to pinyin, nothing changes.
TEST_F(PlugTest, FrequencyOperationsCountTableAnswers) {
  std::string error;
  ASSERT_TRUE(codetable::ReplaceExtraCodes(dir_ / "t.ex", {{"k", "额", 1}, {"k", "鹅", 1}}, &error)) << error;
  open("k 甲\nm 丙\n", 20, '*', 1);
  ime_freq_mode = 0;
  ime_query_result_t record{};
  ime_query_result_t extra{};
  for (const ime_query_result_t& r : results("k")) {
    const std::string text(reinterpret_cast<const char*>(r.hz), r.hlen);
    if (text == "甲") record = r;
    if (text == "额") extra = r;
  }
  ASSERT_EQ(record.index, 2u);
  ASSERT_EQ(extra.index, IME_PLUG_EXTRA_INDEX);

  auto extra_counts = [&] {
    std::vector<codetable::ExtraCode> codes;
    EXPECT_TRUE(codetable::ReadExtraCodes(dir_ / "t.ex", &codes, &error)) << error;
    std::vector<std::int64_t> counts;
    for (const codetable::ExtraCode& code : codes) counts.push_back(code.count);
    return counts;
  };
  struct Step {
    const char* name;
    int (*apply)(const ime_query_result_t*);
    std::uint32_t record_class;
    std::int64_t extra_count;
  };
  const Step steps[] = {
      {"raise", ime_inc_hzfreq, 1, 2},
      {"raise_again", ime_inc_hzfreq, 2, 3},
      {"set", [](const ime_query_result_t* c) { return ime_set_hzfreq(c, 12); }, 12, 12},
      {"lower_to_the_ceiling", ime_dec_hzfreq, 9, 11},
      {"set_zero", [](const ime_query_result_t* c) { return ime_set_hzfreq(c, 0); }, 0, 0},
      {"lower_zero", ime_dec_hzfreq, 0, -1},
      {"lower_below_zero", ime_dec_hzfreq, 0, -1},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.apply(&record);
    step.apply(&extra);
    EXPECT_EQ(QAFreqGetValue(ime_plug_obj->freq, 2) >> 24, step.record_class);
    EXPECT_EQ(extra_counts(), (std::vector<std::int64_t>{step.extra_count, 1}));  // 鹅 untouched
  }

  ime_plug_mode = 1;
  ime_inc_hzfreq(&record);
  ime_inc_hzfreq(&extra);
  ime_plug_mode = 0;
  ime_mode = 0;
  ime_inc_hzfreq(&record);
  ime_inc_hzfreq(&extra);
  EXPECT_EQ(QAFreqGetValue(ime_plug_obj->freq, 2), 0u);
  EXPECT_EQ(extra_counts(), (std::vector<std::int64_t>{-1, 1}));
}

TEST_F(PlugTest, UnreadableExtraCodesLeaveTheTableWithoutThem) {
  codetable_test::write_file(dir_ / "t.ex", "not a database, not at all, really not");
  open(kSource, 20);
  ime_plug_query_type = 1;
  EXPECT_EQ(texts("a"), (Texts{"啊", "阿"}));
}

// Tables written by hand: a record whose value holds two texts, and one whose text is longer
// than a candidate holds.
class HandWritten : public PlugTest {
 protected:
  // The open table is closed and its files removed first: they are rewritten in place.
  void clear() {
    ime_plug_close();
    std::filesystem::remove(dir_ / "t.qdb");
    std::filesystem::remove(dir_ / "t.idx");
  }
  void write_v20(const std::vector<std::pair<std::string, std::string>>& records) {
    clear();
    std::string bytes;
    ime_plug_append_header(&bytes, IME_PLUG_VERSION_SQL);
    std::vector<codetable::KeyOffset> runs;
    std::uint32_t number = static_cast<std::uint32_t>(records.size());
    for (const auto& [code, value] : records) {
      if (runs.empty() || runs.back().key != code) runs.push_back({code, static_cast<std::uint32_t>(bytes.size())});
      ime_plug_append_record(&bytes, code, value, number--);
    }
    bytes.push_back(1);
    ime_plug_append_be32(&bytes, static_cast<std::uint32_t>(records.size()));
    codetable_test::write_file(dir_ / "t.qdb", bytes);
    std::string error;
    ASSERT_TRUE(codetable::WriteSqlIndex(dir_ / "t.idx", runs, &error)) << error;
  }
  void write_v10_one(const std::string& code, const std::string& value) {
    clear();
    std::string bytes;
    ime_plug_append_header(&bytes, IME_PLUG_VERSION_CMPH);
    ime_plug_append_record(&bytes, code, value, 1);
    bytes.push_back(0);
    const auto table = static_cast<std::uint32_t>(bytes.size());
    ime_plug_append_be32(&bytes, 12);
    ime_plug_append_be32(&bytes, 12);
    ime_plug_append_be32(&bytes, table);
    codetable_test::write_file(dir_ / "t.qdb", bytes);
    std::string error;
    ASSERT_TRUE(codetable::WriteChmIndex(dir_ / "t.idx", {{code, 12}, {ime_plug_letter_key(code[0]), 12}}, &error))
        << error;
  }
};

TEST_F(HandWritten, TwoTextsInOneValue) {
  write_v10_one("k", "甲 乙");
  ASSERT_EQ(ime_plug_open(pct().c_str(), '*', 1), 0);
  EXPECT_EQ(texts("k"), (Texts{"甲", "乙"}));

  write_v20({{"k", "甲 乙"}});
  ASSERT_EQ(ime_plug_open(pct().c_str(), '*', 1), 0);
  EXPECT_EQ(texts("k"), Texts{"甲 乙"});
}

TEST_F(HandWritten, TextTooLongForACandidateIsSkipped) {
  write_v20({{"k", std::string(200, 'x')}, {"k", "ok"}});
  ASSERT_EQ(ime_plug_open(pct().c_str(), '*', 1), 0);
  EXPECT_EQ(texts("k"), Texts{"ok"});
}

TEST_F(PlugTest, EmptyOrOverlongCodesAndNoTable) {
  // No table open: nothing, and no failure.
  EXPECT_EQ(texts("a"), Texts{});
  open(kSource, 20);
  EXPECT_EQ(texts(""), Texts{});
  const std::string overlong(IME_PLUG_MAX_TYPED_BYTES + 1, 'a');
  EXPECT_EQ(ime_plug_query(conversation_, plug_test::kList, overlong.data(), static_cast<int>(overlong.size())), -1);
  EXPECT_EQ(ime_qrdb_count(conversation_, plug_test::kList), 0);
  // A query empties the list first.
  ASSERT_EQ(texts("abd").size(), 1u);
  EXPECT_EQ(texts("q"), Texts{});
}

TEST_F(PlugTest, OpeningAnotherTableReplacesTheFirst) {
  open(kSource, 20);
  KEPPlugTable* first = ime_plug_obj;
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(codetable_test::build_table(dir_, "u", "q 去\n", 10), "");
  ASSERT_EQ(ime_plug_open((dir_ / "u.pct").c_str(), '?', 1), 0);
  EXPECT_EQ(ime_plug_any_char, '?');
  EXPECT_EQ(ime_plug_max_len, 1);
  EXPECT_EQ(texts("q"), Texts{"去"});
  EXPECT_EQ(texts("a"), Texts{});
  EXPECT_EQ(ime_plug_open((dir_ / "none.pct").c_str(), '*', 3), -1);
  EXPECT_EQ(ime_plug_obj, nullptr);
}

}  // namespace

// A rebuild renumbers the records, so the counters of the old table must not carry over.
TEST_F(PlugTest, RebuildStartsTheCountersAfresh) {
  open("k 甲 乙\nm 丙\n", 20, '*', 1);
  QAFreqSetValue(ime_plug_obj->freq, 3, 7);
  ASSERT_EQ(results("k")[0].index, 3u);
  ime_plug_close();

  open("k 乙 甲\nm 丙\n", 20, '*', 1);  // same row count, records in another order
  for (int row = 0; row < 4; ++row) EXPECT_EQ(QAFreqGetValue(ime_plug_obj->freq, row), 0u) << row;
  EXPECT_EQ(results("k")[0].index, 3u);  // the source order, no lift from old counters
}
