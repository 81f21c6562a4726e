// Word-list lines: reading, splitting the pinyin, and the checks a line must pass.
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "dict_fixture.h"

namespace {

using dict_fixture::gb;

struct ReadCase {
  const char* name;
  std::string bytes;
  int status;
  std::string pinyin = "";
  std::string word = "";
  std::string second = "";
  std::uint32_t frequency = 0;
  std::string tones = "";
};

TEST(WordListReader, SplitsEachLineIntoItsFields) {
  const std::string w = gb("中国");
  const std::string s = gb("中國");
  const std::vector<ReadCase> cases = {
      {"word only", "zhong'guo " + w + "\n", IME_LINE_READ, "zhong'guo", w, w, 0, ""},
      {"all fields", "zhong'guo " + w + " " + s + " 80 12\n", IME_LINE_READ, "zhong'guo", w, s, 80, "12"},
      {"no frequency", "zhong'guo " + w + " " + s + "\n", IME_LINE_READ, "zhong'guo", w, s, 0, ""},
      {"no tones", "zhong'guo " + w + " **** 7\n", IME_LINE_READ, "zhong'guo", w, "****", 7, ""},
      {"crlf", "zhong'guo " + w + " **** 80\r\n", IME_LINE_READ, "zhong'guo", w, "****", 80, ""},
      {"no final line end", "zhong'guo " + w, IME_LINE_READ, "zhong'guo", w, w, 0, ""},
      {"tabs", "zhong'guo " + w + "\t****\t5", IME_LINE_READ, "zhong'guo", w, "****", 5, ""},
      {"blank tone field", "zhong'guo " + w + " **** 80   \n", IME_LINE_READ, "zhong'guo", w, "****", 80, "  "},
      {"text frequency", "zhong'guo " + w + " **** many\n", IME_LINE_READ, "zhong'guo", w, "****", 0, ""},
      {"negative frequency", "zhong'guo " + w + " **** -5\n", IME_LINE_READ, "zhong'guo", w, "****", 0, ""},
      {"huge frequency", "zhong'guo " + w + " **** 99999999999\n", IME_LINE_READ, "zhong'guo", w, "****",
       std::numeric_limits<std::uint32_t>::max(), ""},
      {"empty line", "\n", IME_LINE_READ, "", "", "", 0, ""},
      {"second form too long", "zhong'guo " + w + " " + std::string(64, '*') + " 1\n", IME_LINE_BAD},
      {"tone field too long", "zhong'guo " + w + " **** 1 " + std::string(64, '1') + "\n", IME_LINE_BAD},
      {"zero byte", std::string("zhong'guo ") + w + std::string(1, '\0') + "\n", IME_LINE_BAD},
      {"end of file", "", IME_LINE_END},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::FILE* file = c.bytes.empty()
                          ? std::tmpfile()
                          : fmemopen(const_cast<char*>(c.bytes.data()), c.bytes.size(), "rb");
    ASSERT_NE(file, nullptr);
    ime_wordlist_line_t line;
    EXPECT_EQ(ime_py_fgets1(file, &line), c.status);
    if (c.status == IME_LINE_READ) {
      EXPECT_EQ(line.pinyin, c.pinyin);
      EXPECT_EQ(line.word, c.word);
      EXPECT_EQ(line.second, c.second);
      EXPECT_EQ(line.frequency, c.frequency);
      EXPECT_EQ(line.tones, c.tones);
      EXPECT_EQ(ime_py_fgets1(file, &line), IME_LINE_END);
    }
    std::fclose(file);
  }
}

TEST(WordListReader, ALineTooLongIsRejectedAndTheNextOneStillRead) {
  std::string bytes = "zhong'guo " + std::string(600, 'x') + "\nguo " + gb("国") + "\n";
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  ASSERT_NE(file, nullptr);
  ime_wordlist_line_t line;
  EXPECT_EQ(ime_py_fgets1(file, &line), IME_LINE_BAD);
  ASSERT_EQ(ime_py_fgets1(file, &line), IME_LINE_READ);
  EXPECT_EQ(line.pinyin, "guo");
  EXPECT_EQ(line.word, gb("国"));
  std::fclose(file);
}

std::string repeat_syllable(const char* syllable, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i > 0 ? "'" : "") + std::string(syllable);
  return text;
}

TEST(SplitPinyin, CountsSyllablesAndRefusesWhatCouldOverrunTheTables) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"zhong'guo", 2}, {"a", 1}, {"zhuang", 1}, {repeat_syllable("a", 60), 60},
      {repeat_syllable("a", 61), -1}, {"", -1}, {"'zhong", -1}, {"zhong'", -1},
      {"zhong''guo", -1}, {"zhuangx", -1}, {"Zhong", -1}, {"zhong1", -1}, {"lü", -1},
  };
  for (const auto& [pinyin, expected] : cases) {
    char syllables[61][8];
    EXPECT_EQ(ime_split_py(pinyin, syllables), expected) << pinyin;
  }
  char syllables[60][8];
  ASSERT_EQ(ime_split_py("zhong'guo", syllables), 2);
  EXPECT_STREQ(syllables[0], "zhong");
  EXPECT_STREQ(syllables[1], "guo");
}

TEST(FinalCodes, AreTheEngineCodesAndFailForSyllablesWithoutOne) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"zhong", 't'}, {"guo", '*'}, {"a", 'P'}, {"e", 'Q'}, {"o", 'R'}, {"er", '`'},
      {"lve", '?'}, {"nv", '/'}, {"m", -1}, {"xyz", -1}, {"ng", -1},
  };
  for (const auto& [syllable, expected] : cases) {
    char syllables[1][8] = {};
    std::strncpy(syllables[0], syllable, 7);
    char code = '\0';
    int result = ime_get_enc_ym(syllables, 1, &code);
    if (expected < 0) {
      EXPECT_EQ(result, -1) << syllable;
    } else {
      EXPECT_EQ(result, 1) << syllable;
      EXPECT_EQ(code, static_cast<char>(expected)) << syllable;
    }
  }
}

ime_wordlist_line_t word_line(const std::string& pinyin, const std::string& word,
                              const std::string& second, std::uint32_t frequency = 0,
                              const std::string& tones = "") {
  return ime_wordlist_line_t{pinyin, word, second, frequency, tones};
}

TEST(IntermediateLine, RejectsWordsThatCannotBeStoredAsRecords) {
  const std::string w = gb("中国");
  const std::vector<std::pair<const char*, ime_wordlist_line_t>> rejected = {
      {"ascii word", word_line("ni'hao", "nh", "nh")},
      {"four-byte character", word_line("ni'hao", gb("\U00020000"), gb("\U00020000"))},
      {"ascii in the word", word_line("ni'hao", gb("你") + "ab", "****")},
      {"fewer characters than syllables", word_line("zhong'guo", gb("中"), "**")},
      {"more characters than syllables", word_line("zhong", w, "****")},
      {"syllable without final code", word_line("m'ma", gb("呣妈"), "****")},
      {"second form too short", word_line("zhong'guo", w, gb("中"))},
      {"second form not two-byte", word_line("zhong'guo", w, "ab" + gb("國"))},
      {"bad pinyin", word_line("zhong guo", w, w)},
      {"61 syllables", word_line(repeat_syllable("a", 61), std::string(122, '\xB0'), std::string(122, '*'))},
  };
  for (const auto& [name, line] : rejected) {
    std::string sorted, why;
    EXPECT_FALSE(ime_make_sorted_line(line, &sorted, &why)) << name;
    EXPECT_FALSE(why.empty()) << name;
  }
}

TEST(IntermediateLine, CarriesKeyInitialsFinalsAndTonesAndReadsBack) {
  const std::string w = gb("中国");
  const std::string s = gb("中國");
  std::string sorted, why;
  ASSERT_TRUE(ime_make_sorted_line(word_line("zhong'guo", w, s, 80, "1x"), &sorted, &why)) << why;
  EXPECT_EQ(sorted, "zK zg t* " + w + " " + s + " 80 1" + std::string(1, '\0'));

  ime_sorted_line_t line;
  ASSERT_TRUE(_ime_py_fgets2(sorted, &line));
  EXPECT_EQ(line.key, "zK");
  EXPECT_EQ(line.initials, "zg");
  EXPECT_EQ(line.finals, "t*");
  EXPECT_EQ(line.word, w);
  EXPECT_EQ(line.second, s);
  EXPECT_EQ(line.frequency, 80u);
  EXPECT_EQ(line.tones, std::string("1\0", 2));

  EXPECT_FALSE(_ime_py_fgets2("zK zg t*", &line));
  EXPECT_FALSE(_ime_py_fgets2("zK zg t* " + w + " " + s + " 80 1", &line));  // one tone short
}

TEST(IntermediateLine, StarsOfAnyNumberMarkAFormToCompute) {
  std::string sorted, why;
  ASSERT_TRUE(ime_make_sorted_line(word_line("zhong'guo", gb("中国"), "*", 3), &sorted, &why)) << why;
  ime_sorted_line_t line;
  ASSERT_TRUE(_ime_py_fgets2(sorted, &line));
  EXPECT_EQ(line.second, "****");
}

TEST(IntermediateLine, AcceptsSixtySyllables) {
  std::string sorted, why;
  std::string word;
  for (int i = 0; i < 60; ++i) word += gb("啊");
  EXPECT_TRUE(ime_make_sorted_line(word_line(repeat_syllable("a", 60), word, std::string(120, '*')),
                                   &sorted, &why))
      << why;
}

}  // namespace
