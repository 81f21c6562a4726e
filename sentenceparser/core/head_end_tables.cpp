// The sentence-initial and sentence-final characters that the head-and-end pass gives the first
// and the last syllable of a sentence. Characters are GBK bytes, as everywhere in the engine.
#include <algorithm>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/segmentation_driver.h"

namespace sentence {
namespace {

struct SyllableChar {
  const char* syllable;
  const char* gbk;
};

// Both tables are sorted by strcmp order of the syllable so they can be searched in halves.
// 129 rows; "er" is handled below.
constexpr SyllableChar kHeadChars[] = {
    {"ao", "\xB0\xC4"}, {"bai", "\xB0\xDA"}, {"cao", "\xB2\xDC"}, {"cha", "\xB2\xE9"},
    {"chang", "\xB3\xA3"}, {"cheng", "\xB3\xC6"}, {"chong", "\xB3\xE5"}, {"chu", "\xB3\xFD"},
    {"chuan", "\xB4\xAB"}, {"chuang", "\xB4\xB3"}, {"cu", "\xB4\xD6"}, {"cui", "\xB4\xDF"},
    {"de", "\xB5\xC3"}, {"di", "\xB5\xDA"}, {"dian", "\xB5\xEA"}, {"diao", "\xB5\xF4"},
    {"die", "\xB5\xF8"}, {"duan", "\xB6\xCB"}, {"dun", "\xB6\xD9"}, {"e", "\xB6\xED"},
    {"fa", "\xB7\xA2"}, {"fan", "\xB7\xB2"}, {"fei", "\xB7\xC7"}, {"feng", "\xB7\xEB"},
    {"fu", "\xB8\xA8"}, {"gang", "\xB8\xD5"}, {"gen", "\xB8\xFA"}, {"gu", "\xB9\xCA"},
    {"guan", "\xB9\xDD"}, {"hai", "\xBA\xA6"}, {"hu", "\xBA\xFE"}, {"hua", "\xBB\xA8"},
    {"huo", "\xBB\xF2"}, {"ji", "\xBC\xB4"}, {"jia", "\xBC\xD3"}, {"jie", "\xBD\xE8"},
    {"jin", "\xBD\xF6"}, {"juan", "\xBE\xE8"}, {"jue", "\xBE\xF6"}, {"jun", "\xBE\xF9"},
    {"ka", "\xBF\xA6"}, {"kang", "\xBF\xB8"}, {"ke", "\xBF\xC9"}, {"kou", "\xBF\xDB"},
    {"ku", "\xBF\xDE"}, {"kuai", "\xBF\xEC"}, {"kuan", "\xBF\xED"}, {"kun", "\xC0\xA7"},
    {"lan", "\xC0\xB6"}, {"le", "\xC0\xD6"}, {"lei", "\xC0\xDB"}, {"li", "\xC0\xEE"},
    {"liao", "\xC1\xC9"}, {"lie", "\xC1\xD3"}, {"liu", "\xC1\xF9"}, {"lu", "\xC2\xCC"},
    {"lun", "\xC2\xD6"}, {"mao", "\xC3\xB0"}, {"men", "\xC3\xC5"}, {"meng", "\xC3\xCD"},
    {"mi", "\xC3\xDC"}, {"miao", "\xC3\xEE"}, {"mo", "\xC3\xFE"}, {"mu", "\xC4\xB9"},
    {"nai", "\xC4\xCC"}, {"nao", "\xC4\xD6"}, {"nian", "\xC4\xEA"}, {"niang", "\xC4\xF0"},
    {"niu", "\xC5\xA4"}, {"nong", "\xC5\xAA"}, {"ou", "\xC5\xB7"}, {"pa", "\xC5\xC2"},
    {"pai", "\xC5\xC4"}, {"pan", "\xC5\xCA"}, {"pei", "\xC5\xE3"}, {"pian", "\xC6\xAC"},
    {"piao", "\xC6\xAE"}, {"ping", "\xC6\xBE"}, {"po", "\xC6\xC4"}, {"pu", "\xC6\xCC"},
    {"qiang", "\xC7\xC0"}, {"qin", "\xC7\xD6"}, {"qiong", "\xC7\xED"}, {"qu", "\xC7\xF8"},
    {"ran", "\xC8\xBE"}, {"rong", "\xC8\xDA"}, {"sa", "\xC8\xF6"}, {"se", "\xC9\xAB"},
    {"shai", "\xC9\xB9"}, {"shen", "\xC9\xED"}, {"shou", "\xCA\xD6"}, {"shuai", "\xCB\xA6"},
    {"shui", "\xCB\xAD"}, {"sou", "\xCB\xD1"}, {"sui", "\xCB\xE4"}, {"tai", "\xCC\xAB"},
    {"tang", "\xCC\xC8"}, {"tao", "\xCC\xCD"}, {"teng", "\xCC\xDB"}, {"ti", "\xCC\xE1"},
    {"tiao", "\xCC\xF8"}, {"tuo", "\xCD\xCF"}, {"wa", "\xCD\xDA"}, {"wan", "\xCD\xF2"},
    {"wang", "\xCD\xFB"}, {"wen", "\xCE\xCA"}, {"xiang", "\xCF\xF2"}, {"xing", "\xD0\xD0"},
    {"xiong", "\xD0\xD8"}, {"xu", "\xD0\xEB"}, {"xuan", "\xD0\xFD"}, {"ya", "\xD1\xB9"},
    {"yan", "\xD1\xCF"}, {"yang", "\xD1\xF8"}, {"you", "\xD3\xC9"}, {"yu", "\xD3\xFB"},
    {"yue", "\xD4\xBC"}, {"yun", "\xD4\xCB"}, {"za", "\xD4\xD2"}, {"zang", "\xD4\xE0"},
    {"zha", "\xD4\xDB"}, {"zhai", "\xD5\xAB"}, {"zhao", "\xD5\xD5"}, {"zhen", "\xD5\xE6"},
    {"zhi", "\xD6\xBB"}, {"zhu", "\xD7\xA1"}, {"zhuang", "\xD7\xB0"}, {"zu", "\xD7\xE3"},
    {"zuo", "\xD7\xF6"},
};
// 193 rows; "ma" is handled below.
constexpr SyllableChar kEndChars[] = {
    {"a", "\xB0\xA1"}, {"an", "\xB0\xB8"}, {"ao", "\xB0\xC1"}, {"ba", "\xB0\xC9"},
    {"ban", "\xB0\xE6"}, {"bang", "\xB0\xF2"}, {"bei", "\xB1\xB6"}, {"bian", "\xB1\xE4"},
    {"biao", "\xB1\xEA"}, {"bin", "\xB1\xF6"}, {"bing", "\xB2\xA1"}, {"bo", "\xB2\xA5"},
    {"bu", "\xB2\xBD"}, {"ca", "\xB2\xC1"}, {"can", "\xB2\xCD"}, {"ce", "\xB2\xDF"},
    {"ceng", "\xB2\xE3"}, {"cha", "\xB2\xE9"}, {"chai", "\xB2\xF1"}, {"chang", "\xB3\xA1"},
    {"chao", "\xB3\xB1"}, {"chen", "\xB3\xBF"}, {"cheng", "\xB3\xCC"}, {"chi", "\xB3\xD6"},
    {"chong", "\xB3\xE4"}, {"chou", "\xB3\xEA"}, {"chuan", "\xB4\xAB"}, {"chuang", "\xB4\xB2"},
    {"ci", "\xB4\xCE"}, {"cui", "\xB4\xE4"}, {"cun", "\xB4\xE6"}, {"dai", "\xB4\xFA"},
    {"dan", "\xB5\xA3"}, {"dao", "\xB5\xC0"}, {"dian", "\xB5\xE3"}, {"die", "\xB5\xF8"},
    {"dong", "\xB6\xAF"}, {"dou", "\xB6\xB7"}, {"du", "\xB6\xC8"}, {"dui", "\xB6\xD3"},
    {"er", "\xB6\xFE"}, {"fan", "\xB7\xB6"}, {"fu", "\xB8\xBB"}, {"ga", "\xB8\xC2"},
    {"gai", "\xB8\xC4"}, {"ge", "\xB8\xEF"}, {"gong", "\xB9\xA4"}, {"gou", "\xB9\xB9"},
    {"gu", "\xB9\xCA"}, {"gua", "\xB9\xCF"}, {"guan", "\xB9\xD8"}, {"guo", "\xB9\xFB"},
    {"hai", "\xBA\xA6"}, {"han", "\xBA\xB6"}, {"he", "\xBA\xCF"}, {"hen", "\xBA\xDE"},
    {"heng", "\xBA\xE2"}, {"hua", "\xBB\xAF"}, {"huai", "\xBB\xB5"}, {"huan", "\xBB\xBB"},
    {"huang", "\xBB\xCD"}, {"huo", "\xBB\xEE"}, {"ji", "\xBC\xC6"}, {"jian", "\xBC\xFE"},
    {"jiang", "\xBD\xB5"}, {"jiao", "\xBD\xBB"}, {"jie", "\xBD\xE2"}, {"jin", "\xBD\xF0"},
    {"jing", "\xBE\xB3"}, {"jiong", "\xBE\xBD"}, {"jiu", "\xBE\xBF"}, {"jue", "\xBE\xF6"},
    {"kao", "\xBF\xBC"}, {"ke", "\xBF\xCD"}, {"ku", "\xBF\xE0"}, {"kua", "\xBF\xE5"},
    {"kuai", "\xBF\xEC"}, {"kuang", "\xBF\xF6"}, {"kun", "\xC0\xA7"}, {"kuo", "\xC0\xA8"},
    {"la", "\xC0\xB2"}, {"lan", "\xC0\xC0"}, {"lang", "\xC0\xCB"}, {"lao", "\xC0\xCD"},
    {"lian", "\xC1\xB7"}, {"liang", "\xC1\xBF"}, {"liao", "\xC1\xCF"}, {"ling", "\xC1\xEE"},
    {"liu", "\xC1\xF7"}, {"luo", "\xC2\xE4"}, {"lv", "\xC2\xC9"}, {"mai", "\xC2\xF4"},
    {"man", "\xC2\xFD"}, {"mao", "\xC3\xB2"}, {"mei", "\xC3\xC0"}, {"men", "\xC3\xC5"},
    {"miao", "\xC3\xE7"}, {"ming", "\xC3\xF7"}, {"miu", "\xC3\xFD"}, {"mo", "\xC4\xA3"},
    {"mou", "\xC4\xB1"}, {"mu", "\xC4\xBF"}, {"na", "\xC4\xC9"}, {"nai", "\xC4\xCC"},
    {"nan", "\xC4\xD1"}, {"nian", "\xC4\xEA"}, {"nu", "\xC5\xAD"}, {"pa", "\xC5\xC2"},
    {"pai", "\xC5\xC6"}, {"pan", "\xC5\xD0"}, {"pen", "\xC5\xE8"}, {"peng", "\xC5\xEF"},
    {"pian", "\xC6\xAC"}, {"pu", "\xC6\xD3"}, {"qi", "\xC6\xF0"}, {"qie", "\xC7\xD0"},
    {"qin", "\xC7\xD7"}, {"qing", "\xC7\xE9"}, {"quan", "\xC8\xA8"}, {"que", "\xC8\xB7"},
    {"rao", "\xC8\xC5"}, {"reng", "\xC8\xD3"}, {"rong", "\xC8\xDD"}, {"ru", "\xC8\xEB"},
    {"rui", "\xC8\xF1"}, {"ruo", "\xC8\xF5"}, {"sa", "\xC8\xF7"}, {"se", "\xC9\xAB"},
    {"sha", "\xC9\xB1"}, {"shai", "\xC9\xB9"}, {"shan", "\xC9\xC6"}, {"she", "\xC9\xE8"},
    {"shen", "\xC9\xF1"}, {"sheng", "\xC9\xFA"}, {"shi", "\xCA\xB1"}, {"shou", "\xCA\xD6"},
    {"shu", "\xCA\xE9"}, {"shuai", "\xCB\xA5"}, {"shuan", "\xCB\xA8"}, {"si", "\xCB\xBE"},
    {"song", "\xCB\xCF"}, {"su", "\xCB\xD8"}, {"sui", "\xCB\xEA"}, {"sun", "\xCB\xF0"},
    {"tang", "\xCC\xC3"}, {"ti", "\xCC\xE2"}, {"tiao", "\xCC\xF5"}, {"ting", "\xCD\xA5"},
    {"tong", "\xCD\xB3"}, {"tui", "\xCD\xCB"}, {"wan", "\xCD\xF2"}, {"wang", "\xCD\xFB"},
    {"wen", "\xCE\xCA"}, {"wu", "\xCE\xF1"}, {"xi", "\xCF\xB5"}, {"xian", "\xCF\xD6"},
    {"xiang", "\xCF\xF3"}, {"xiao", "\xD0\xA7"}, {"xie", "\xD0\xA9"}, {"xin", "\xD0\xC4"},
    {"xing", "\xD0\xD0"}, {"xu", "\xD0\xF2"}, {"xun", "\xD1\xB5"}, {"ya", "\xD1\xBD"},
    {"yan", "\xD1\xE9"}, {"yang", "\xD1\xF9"}, {"ye", "\xD2\xB5"}, {"ying", "\xD3\xAA"},
    {"you", "\xD3\xD2"}, {"yu", "\xD3\xFD"}, {"yuan", "\xD4\xAA"}, {"yue", "\xD4\xC2"},
    {"yun", "\xD4\xCB"}, {"zan", "\xD4\xDE"}, {"zang", "\xD4\xE0"}, {"zao", "\xD4\xEC"},
    {"zeng", "\xD4\xF6"}, {"zha", "\xD5\xA8"}, {"zhan", "\xD5\xB9"}, {"zhang", "\xD5\xC2"},
    {"zhao", "\xD5\xD5"}, {"zhe", "\xD5\xDF"}, {"zhen", "\xD5\xEB"}, {"zheng", "\xD5\xF9"},
    {"zhi", "\xD6\xC6"}, {"zhou", "\xD6\xDD"}, {"zhu", "\xD6\xF7"}, {"zhuang", "\xD7\xB4"},
    {"zi", "\xD7\xD3"}, {"zong", "\xD7\xD9"}, {"zou", "\xD7\xDF"}, {"zu", "\xD7\xE3"},
    {"zui", "\xD7\xEF"},
};

// "er" opens only a short input (a lone number word), so it is not among the rows above.
constexpr char kHeadEr[] = "\xB6\xFE";
// "ma" at the end depends on the punctuation after it: question, exclamation, or the noun.
constexpr char kEndMaQuestion[] = "\xC2\xF0";
constexpr char kEndMaExclaim[] = "\xC2\xEF";
constexpr char kEndMaPlain[] = "\xC2\xED";
constexpr char kFullWidthQuestion[] = "\xA3\xBF";
constexpr char kFullWidthExclaim[] = "\xA3\xA1";

template <std::size_t N>
const char* find_row(const SyllableChar (&table)[N], const char* syllable) {
  const auto* end = table + N;
  const auto before = [](const SyllableChar& row, const char* text) {
    return std::strcmp(row.syllable, text) < 0;
  };
  const auto* row = std::lower_bound(table, end, syllable, before);
  if (row == end || std::strcmp(row->syllable, syllable) != 0) return nullptr;
  return row->gbk;
}

int write_char(const char* gbk, char* out) {
  out[0] = gbk[0];
  out[1] = gbk[1];
  out[2] = '\0';
  return 1;
}

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int gethead_chr(const char* syllable, char* out) {
  if (syllable == nullptr) return 0;
  if (std::strcmp(syllable, "er") == 0) {
    return CurrentItem <= 2 ? write_char(kHeadEr, out) : 0;
  }
  const char* gbk = find_row(kHeadChars, syllable);
  return gbk != nullptr ? write_char(gbk, out) : 0;
}

int getend_chr(const char* syllable, char* out, const char* following) {
  if (syllable == nullptr) return 0;
  if (std::strcmp(syllable, "ma") == 0) {
    const char* next = following != nullptr ? following : "";
    if (starts_with(next, "?") || starts_with(next, kFullWidthQuestion)) {
      return write_char(kEndMaQuestion, out);
    }
    if (starts_with(next, "!") || starts_with(next, kFullWidthExclaim)) {
      return write_char(kEndMaExclaim, out);
    }
    return write_char(kEndMaPlain, out);
  }
  const char* gbk = find_row(kEndChars, syllable);
  return gbk != nullptr ? write_char(gbk, out) : 0;
}

}  // namespace sentence
