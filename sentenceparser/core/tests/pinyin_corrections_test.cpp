#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/pinyin_corrections.h"
#include "sentenceparser/core/syllable_forms.h"
#include "sentenceparser/core/tests/correction_fixture.h"

namespace {

using namespace sentence;
using namespace std::string_literals;
using sentence_test::letters_number;
using sentence_test::resegment_record;
using sentence_test::same_length_record;
using sentence_test::stored_record;

struct Corrected {
  int result = 0;
  std::string key;
  int n = 0;
};

Corrected same_length(const std::string& key, int n) {
  char text[kCorrectionKeySize] = {};
  std::snprintf(text, sizeof text, "%s", key.c_str());
  const int result = InPyRc(text, n);
  return {result, text, n};
}

Corrected resegmented(const std::string& key, int n) {
  char text[kCorrectionKeySize] = {};
  std::snprintf(text, sizeof text, "%s", key.c_str());
  const int result = InPyBad(text, &n);
  return {result, text, n};
}

struct English {
  int result = 0;
  std::string out;
};

English english(const std::string& word) {
  char out[kEnglishOutSize] = "stale";
  const int result = InPyEN(word.c_str(), out);
  return {result, result == 1 ? std::string(out) : std::string()};
}

English display(const std::string& word) {
  char out[kEnglishOutSize] = "stale";
  const int result = GetENtrue(word.c_str(), out);
  return {result, out};
}

Corrected pre_split(const std::string& text) {
  char buffer[kPreSplitTextSize] = {};
  std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
  const int result = InPyQy(buffer);
  return {result, buffer, 0};
}

class PinyinCorrectionTest : public sentence_test::CorrectionTest {
 protected:
  // Three neighbouring groups of two-syllable corrections; "zg" in the middle, so a search
  // that strays past either end of its group would find a neighbour's record.
  void write_two_syllable_corrections() {
    write_data_groups("py/mrc2.inx", "py/mrc2.dat",
                      {{letters_number("zf", 2), {same_length_record("zf!!", "zfaa")}},
                       {letters_number("zg", 2),
                        {same_length_record("zg#a", "zgaa"), same_length_record("zg8*", "zgt*"),
                         same_length_record("zgt~", "zgt*"), same_length_record("zgzz", "zgbb")}},
                       {letters_number("zh", 2), {same_length_record("zh~~", "zhcc")}}});
  }
};

TEST_F(PinyinCorrectionTest, SameLengthCorrectionsAcrossAGroup) {
  write_two_syllable_corrections();
  struct Case {
    const char* key;
    int result;
    const char* after;
  } cases[] = {
      {"zg#a", 1, "zgaa"}, {"zg8*", 1, "zgt*"}, {"zgt~", 1, "zgt*"}, {"zgzz", 1, "zgbb"},
      {"zg!!", 0, "zg!!"},  // the last record of the group before
      {"zg~~", 0, "zg~~"},  // the first record of the group after
      {"zg9a", 0, "zg9a"}, {"zgt*", 0, "zgt*"}, {"zaaa", 0, "zaaa"},
      {"zgt~a", 0, "zgt~a"},  // not a two-syllable key
      {"z1t~", 0, "z1t~"},
  };
  for (const auto& c : cases) {
    const Corrected answer = same_length(c.key, 2);
    EXPECT_EQ(answer.result, c.result) << c.key;
    EXPECT_EQ(answer.key, c.after) << c.key;
  }
  EXPECT_EQ(same_length("zgt~", 1).result, 0);
  EXPECT_EQ(same_length("zgt~zgt~zg", 5).result, 0);
}

TEST_F(PinyinCorrectionTest, SameLengthCorrectionsOfThreeAndFourSyllables) {
  write_data_groups(
      "py/mrc3.inx", "py/mrc3.dat",
      {{letters_number("zgr", 3),
        {same_length_record("zgrt*h", "zgrt*1"), same_length_record("zgrt~h", "zgrt*h")}}});
  write_data_groups("py/mrc4.inx", "py/mrc4.dat",
                    {{letters_number("abcd", 4), {same_length_record("abcdaaaa", "abcdbbbb")}}});
  EXPECT_EQ(same_length("zgrt~h", 3).key, "zgrt*h");
  EXPECT_EQ(same_length("zgrt*h", 3).key, "zgrt*1");
  EXPECT_EQ(same_length("zgrt*i", 3).result, 0);
  const Corrected four = same_length("abcdaaaa", 4);
  EXPECT_EQ(four.result, 1);
  EXPECT_EQ(four.key, "abcdbbbb");
  EXPECT_EQ(same_length("abcdaaab", 4).result, 0);
  // The three-syllable files do not answer for four syllables.
  EXPECT_EQ(same_length("zgrat~hh", 4).result, 0);
}

TEST_F(PinyinCorrectionTest, ResegmentationReplacesKeyAndSyllableCount) {
  write_resource_groups("cbe2.inx", "cbe2.dat",
                        {{letters_number("xa", 2), {resegment_record("xaV5", "xX")}}});
  write_resource_groups(
      "cbe3.inx", "cbe3.dat",
      {{letters_number("abc", 3),
        {resegment_record("abcaaa", "abcd"), resegment_record("abcdef", "abcdefgh"),
         resegment_record("abczzz", "abcdefghij")}}});
  write_resource_groups("cbe7.inx", "cbe7.dat",
                        {{letters_number("zho", 3),
                          {resegment_record("zhongguorenmin", "abcdefghijklmn")}}});
  struct Case {
    const char* key;
    int n;
    int result;
    const char* after;
    int n_after;
  } cases[] = {
      {"xaV5", 2, 1, "xX", 1},
      {"abcaaa", 3, 1, "abcd", 2},
      {"abcdef", 3, 1, "abcdefgh", 4},
      {"abczzz", 3, 1, "abcdefghij", 5},
      {"abcaab", 3, 0, "abcaab", 3},
      {"abczzy", 3, 0, "abczzy", 3},
      {"zhongguorenmin", 7, 1, "abcdefghijklmn", 7},  // a replacement that fills its room
      {"zhongguorenmio", 7, 0, "zhongguorenmio", 7},
      {"xaV5", 4, 0, "xaV5", 4},  // no cbe4 files
      {"xaV5x", 2, 0, "xaV5x", 2},
      {"xaV5", 8, 0, "xaV5", 8},
  };
  for (const auto& c : cases) {
    const Corrected answer = resegmented(c.key, c.n);
    EXPECT_EQ(answer.result, c.result) << c.key;
    EXPECT_EQ(answer.key, c.after) << c.key;
    EXPECT_EQ(answer.n, c.n_after) << c.key;
  }
}

TEST_F(PinyinCorrectionTest, ResegmentationFilesComeFromTheResourceLookup) {
  // Under the word-library folder they are not the engine's.
  write_data_groups("cbe2.inx", "cbe2.dat",
                    {{letters_number("xa", 2), {resegment_record("xaV5", "xX")}}});
  EXPECT_EQ(resegmented("xaV5", 2).result, 0);
}

TEST_F(PinyinCorrectionTest, ResegmentationRefusesBrokenReplacements) {
  write_resource_groups("cbe2.inx", "cbe2.dat",
                        {{letters_number("xa", 2),
                          {resegment_record("xaV4", ""), resegment_record("xaV5", "xXa"),
                           "V6xX\0" "aa000"s}}});
  for (const char* key : {"xaV4", "xaV5", "xaV6"}) {
    const Corrected answer = resegmented(key, 2);
    EXPECT_EQ(answer.result, 0) << key;
    EXPECT_EQ(answer.key, key);
    EXPECT_EQ(answer.n, 2);
  }
}

TEST_F(PinyinCorrectionTest, TwoLetterWordsPassTheListWhileMarkUnresolvedIsOn) {
  write_data_groups("py/e2.inx", "py/e2.dat",
                    {{letters_number("ok", 2), {"Ok", "OK", "oK"}},
                     {letters_number("zz", 2), {"ZZ"}}});
  EXPECT_EQ(english("ok").result, 1);
  EXPECT_EQ(english("ok").out, "OK");  // the group's first probe is the word
  EXPECT_EQ(english("zz").result, 0);
  EXPECT_EQ(english("it").result, 0);  // listed, but not in the file
  InputProperty.MarkUnresolved = 0;
  EXPECT_EQ(english("zz").out, "ZZ");
  EXPECT_EQ(english("zy").result, 0);
}

TEST_F(PinyinCorrectionTest, EnglishWordsOfThreeToEighteenLetters) {
  // A rest sorts before the rests it is a prefix of: the '0' padding precedes the letters.
  write_data_groups("py/em.inx", "py/em.dat",
                    {{letters_number("int", 3),
                      {stored_record("", 15), stored_record("er", 15), stored_record("ernet", 15),
                       stored_record("ernetwork", 15), stored_record("o", 15)}},
                     {letters_number("abc", 3), {stored_record("defghijklmnopqr", 15)}}});
  struct Case {
    const char* word;
    int result;
    const char* out;
  } cases[] = {
      {"int", 1, "INT"},         {"inter", 1, "INTER"}, {"internet", 1, "INTERNET"},
      {"internetwork", 1, "INTERNETWORK"},              {"into", 1, "INTO"},
      {"inte", 0, ""},           {"interne", 0, ""},    {"intern", 0, ""},
      {"intz", 0, ""},           {"ina", 0, ""},
      {"abcdefghijklmnopqr", 1, "ABCDEFGHIJKLMNOPQR"},  // eighteen letters
      {"abcdefghijklmnopqrs", 0, ""},                   // nineteen
      {"a", 0, ""},              {"", 0, ""},
      {"p2p", 1, "P2P"},         {"b2c", 1, "B2C"},     {"b2b", 1, "B2B"},
      {"net", 1, "net"},
  };
  for (const auto& c : cases) {
    const English answer = english(c.word);
    EXPECT_EQ(answer.result, c.result) << c.word;
    EXPECT_EQ(answer.out, c.out) << c.word;
  }
}

TEST_F(PinyinCorrectionTest, DisplayFormsFollowTheBarOrder) {
  // A rest sorts after the rests it is a proper prefix of: '|' follows the letters.
  write_data_groups("py/ee.inx", "py/ee.dat",
                    {{letters_number("int", 3),
                      {stored_record("ernet|Internet", 34), stored_record("er|Inter", 34),
                       stored_record("o|Into|x|y", 34), stored_record("|INT", 34)}},
                     {letters_number("ieb", 3),
                      {stored_record(std::string(34, 'x'), 34),
                       stored_record("|" + std::string(33, 'Q'), 34)}}});
  struct Case {
    const char* word;
    int result;
    const char* out;
  } cases[] = {
      {"int", 1, "INT"},       {"inter", 1, "Inter"}, {"internet", 1, "Internet"},
      {"into", 1, "Into"},     {"intern", 0, "INTERN"}, {"inte", 0, "INTE"},
      {"intp", 0, "INTP"},
      {"ie", 0, "IE"},         {"i2c", 0, "I2C"},
  };
  for (const auto& c : cases) {
    const English answer = display(c.word);
    EXPECT_EQ(answer.result, c.result) << c.word;
    EXPECT_EQ(answer.out, c.out) << c.word;
  }
  // Records that fill their width: no padding, and one with no display field at all.
  EXPECT_EQ(display("ieb").out, std::string(33, 'Q'));
  const English bare = display("ieb" + std::string(34, 'x'));
  EXPECT_EQ(bare.result, 0);
  EXPECT_EQ(bare.out, "IEB" + std::string(34, 'X'));
}

TEST_F(PinyinCorrectionTest, EnglishWordsTakeTheirDisplayForm) {
  write_data_groups("py/em.inx", "py/em.dat",
                    {{letters_number("aja", 3), {stored_record("x", 15)}},
                     {letters_number("abc", 3), {stored_record("", 15)}}});
  write_data_groups("py/ee.inx", "py/ee.dat",
                    {{letters_number("aja", 3), {stored_record("x|AJAX", 34)}}});
  EXPECT_EQ(english("ajax").out, "AJAX");
  EXPECT_EQ(english("abc").out, "ABC");
  EXPECT_EQ(display("ajax").result, 1);
}

TEST_F(PinyinCorrectionTest, MissingDisplayFileGivesTheUpperCaseWord) {
  const English answer = display("abc");
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.out, "ABC");
  // A long word is cut to the output's room.
  EXPECT_EQ(display(std::string(100, 'q')).out, std::string(kEnglishOutSize - 1, 'Q'));
}

TEST_F(PinyinCorrectionTest, PreSplitReplacesOnlyByLongerText) {
  write_resource_groups("pyqy.inx", "pyqy.out",
                        {{letters_number("xia", 3),
                          {stored_record("ne|xiane", 41), stored_record("nmen|xi+an+men", 41),
                           stored_record("n|xi+an", 41), stored_record("o|x", 41)}},
                         {letters_number("qqq", 3),
                          {stored_record("q|" + std::string(39, 'w'), 41)}}});
  struct Case {
    const char* text;
    int result;
    const char* after;
  } cases[] = {
      {"xianmen", 1, "xi+an+men"},
      {"xian", 1, "xi+an"},
      {"XIAn", 1, "xi+an"},  // upper-case letters index as lower case
      {"xiane", 0, "xiane"},  // a replacement of the same length
      {"xiao", 0, "xiao"},    // a shorter one
      {"xiam", 0, "xiam"},
      {"xia", 0, "xia"},
      {"x1an", 0, "x1an"},
  };
  for (const auto& c : cases) {
    const Corrected answer = pre_split(c.text);
    EXPECT_EQ(answer.result, c.result) << c.text;
    EXPECT_EQ(answer.key, c.after) << c.text;
  }
  // A record with no room left for padding.
  EXPECT_EQ(pre_split("qqqq").key, std::string(39, 'w'));
  char too_long[64] = {};
  std::snprintf(too_long, sizeof too_long, "xian%s", std::string(41, 'n').c_str());
  EXPECT_EQ(InPyQy(too_long), 0);
}

// An index whose entry "zg" names the given first record and count.
std::string zg_index(std::uint32_t first, std::uint16_t count) {
  return sentence_test::index_bytes({{letters_number("zg", 2), {first, count}}});
}

TEST_F(PinyinCorrectionTest, DamagedFilesFindNothing) {
  const std::string records =
      same_length_record("zgt~", "zgt*") + same_length_record("zgzz", "zgbb");
  const std::string index = zg_index(0, 2);
  struct Case {
    const char* damage;
    std::string index;
    std::string records;
  } cases[] = {
      {"the index ends inside the entry", index.substr(0, index.size() - 1), records},
      {"the index ends before the entry", index.substr(0, index.size() - 6), records},
      {"an empty index", "", records},
      {"a count past the records", zg_index(0, 3), records},
      {"a huge count", zg_index(0, 0xFFFF), records},
      {"a first record past the end", zg_index(2, 1), records},
      {"a huge first record", zg_index(0xFFFFFFFF, 2), records},
      {"an empty group", zg_index(0, 0), records},
      {"a short record", index, records.substr(0, records.size() - 1)},
      {"no records", index, ""},
  };
  for (const auto& c : cases) {
    write_data("py/mrc2.inx", c.index);
    write_data("py/mrc2.dat", c.records);
    for (const char* key : {"zgt~", "zgzz"}) {
      const Corrected answer = same_length(key, 2);
      EXPECT_EQ(answer.result, 0) << c.damage << ": " << key;
      EXPECT_EQ(answer.key, key) << c.damage;
    }
  }
  // The undamaged files answer.
  write_data("py/mrc2.inx", index);
  write_data("py/mrc2.dat", records);
  EXPECT_EQ(same_length("zgzz", 2).key, "zgbb");
}

TEST_F(PinyinCorrectionTest, CorrectedKeysWithStrayBytesAreRefused) {
  write_data_groups("py/mrc2.inx", "py/mrc2.dat",
                    {{letters_number("zg", 2), {"t~zg\0*"s}}});
  const Corrected answer = same_length("zgt~", 2);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.key, "zgt~");
}

TEST_F(PinyinCorrectionTest, EnglishFilesCutShortFindNothing) {
  const sentence_test::GroupFiles files = sentence_test::group_files(
      {{letters_number("int", 3), {stored_record("er", 15), stored_record("o", 15)}}});
  write_data("py/em.inx", files.index);
  write_data("py/em.dat", files.records.substr(0, files.records.size() - 3));
  EXPECT_EQ(english("into").result, 0);
  EXPECT_EQ(english("inter").result, 0);
}

}  // namespace
