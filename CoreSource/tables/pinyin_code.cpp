#include "tables/pinyin_code.h"

#include <cstring>

namespace {

struct FinalCode {
  const char* final_text;
  char code;
};

// The stored formats depend on every entry of this table.
constexpr FinalCode kFinals[] = {
    {"a", 'a'},     {"ai", 'b'},    {"an", 'c'},    {"ang", 'd'},   {"ao", 'e'},
    {"e", 'f'},     {"ei", 'g'},    {"en", 'h'},    {"eng", 'i'},   {"ha", 'j'},
    {"hu", 'v'},    {"hua", 'w'},   {"huai", 'x'},  {"huan", 'y'},  {"huang", 'z'},
    {"hai", 'k'},   {"han", 'l'},   {"hang", 'm'},  {"hao", 'n'},   {"he", 'o'},
    {"hei", 'p'},   {"hen", 'q'},   {"heng", 'r'},  {"hi", 's'},    {"hong", 't'},
    {"hou", 'u'},   {"n", '5'},     {"ng", '6'},    {"hui", 'S'},   {"hun", 'T'},
    {"huo", 'U'},   {"i", 'V'},     {"ia", 'W'},    {"ian", 'X'},   {"iang", 'Y'},
    {"iao", 'Z'},   {"ie", '0'},    {"in", '1'},    {"ing", '2'},   {"iong", '3'},
    {"iu", '4'},    {"o", '7'},     {"ong", '8'},   {"ou", '9'},    {"r", '`'},
    {"u", '~'},     {"ua", '!'},    {"uai", '@'},   {"uan", '#'},   {"uang", '$'},
    {"ue", '%'},    {"ui", '^'},    {"un", '&'},    {"uo", '*'},    {"v", '/'},
    {"ve", '?'},    {"P", '<'},     {"Q", '.'},     {"R", '>'},     {"A", '('},
    {"B", ')'},     {"C", '-'},     {"D", '_'},     {"E", '='},     {"F", '+'},
    {"G", '['},     {"H", '{'},     {"I", ']'},     {"J", '}'},     {"K", '|'},
    {"L", ';'},     {"M", ':'},     {"N", '\''},    {"O", ','},
};

struct SpecialForm {
  const char* plain;
  const char* placeholder;
};

constexpr SpecialForm kSpecialForms[] = {{"a", "aP"}, {"e", "eQ"}, {"o", "oR"}};

void copy_bounded(char* out, const char* text) {
  std::strncpy(out, text, 7);
  out[7] = '\0';
}

}  // namespace

int ime_dan_to_shuang(const char* text, char* out, int direction) {
  for (const auto& form : kSpecialForms) {
    const char* from = direction == 1 ? form.plain : form.placeholder;
    const char* to = direction == 1 ? form.placeholder : form.plain;
    if (std::strcmp(text, from) == 0) {
      copy_bounded(out, to);
      return 0;
    }
  }
  copy_bounded(out, text);
  return 1;
}

int ime_trans_ym(const char* text, char* out, int direction) {
  for (const auto& entry : kFinals) {
    if (direction == 0) {
      if (std::strcmp(text, entry.final_text) == 0) {
        out[0] = entry.code;
        out[1] = '\0';
        return 0;
      }
    } else if (text[0] == entry.code && text[0] != '\0' && text[1] == '\0') {
      copy_bounded(out, entry.final_text);
      return 0;
    }
  }
  return 1;
}

void ime_decompose_py(const char* syllable, char* initial, char* code) {
  char rewritten[8] = {};
  ime_dan_to_shuang(syllable, rewritten, 1);
  *initial = rewritten[0];
  char found[8] = {};
  *code = (rewritten[0] != '\0' && ime_trans_ym(rewritten + 1, found, 0) == 0) ? found[0] : '\0';
}

void ime_compose_py(char initial, char code, char* out) {
  char built[16] = {};
  built[0] = initial;
  const char code_text[2] = {code, '\0'};
  ime_trans_ym(code_text, built + 1, 1);
  ime_dan_to_shuang(built, out, 0);
}

const char* const ime_all_syllables[] = {
    "a", "ai", "an", "ang", "ao",
    "ba", "bai", "ban", "bang", "bao", "bei", "ben", "beng", "bi", "bian", "biao", "bie", "bin",
    "bing", "bo", "bu",
    "ca", "cai", "can", "cang", "cao", "ce", "cen", "ceng", "ci", "cong", "cou", "cu", "cuan",
    "cui", "cun", "cuo",
    "cha", "chai", "chan", "chang", "chao", "che", "chen", "cheng", "chi", "chong", "chou",
    "chu", "chua", "chuai", "chuan", "chuang", "chui", "chun", "chuo",
    "da", "dai", "dan", "dang", "dao", "de", "dei", "den", "deng", "di", "dia", "dian", "diao",
    "die", "ding", "diu", "dong", "dou", "du", "duan", "dui", "dun", "duo",
    "e", "ei", "en", "eng", "er",
    "fa", "fan", "fang", "fei", "fen", "feng", "fo", "fou", "fu",
    "ga", "gai", "gan", "gang", "gao", "ge", "gei", "gen", "geng", "gong", "gou", "gu", "gua",
    "guai", "guan", "guang", "gui", "gun", "guo",
    "ha", "hai", "han", "hang", "hao", "he", "hei", "hen", "heng", "hong", "hou", "hu", "hua",
    "huai", "huan", "huang", "hui", "hun", "huo",
    "ji", "jia", "jian", "jiang", "jiao", "jie", "jin", "jing", "jiong", "jiu", "ju", "juan",
    "jue", "jun",
    "ka", "kai", "kan", "kang", "kao", "ke", "kei", "ken", "keng", "kong", "kou", "ku", "kua",
    "kuai", "kuan", "kuang", "kui", "kun", "kuo",
    "la", "lai", "lan", "lang", "lao", "le", "lei", "leng", "li", "lia", "lian", "liang", "liao",
    "lie", "lin", "ling", "liu", "lo", "long", "lou", "lu", "luan", "lun", "luo", "lv", "lve",
    "ma", "mai", "man", "mang", "mao", "me", "mei", "men", "meng", "mi", "mian", "miao", "mie",
    "min", "ming", "miu", "mo", "mou", "mu",
    "na", "nai", "nan", "nang", "nao", "ne", "nei", "nen", "neng", "ni", "nian", "niang", "niao",
    "nie", "nin", "ning", "niu", "nong", "nou", "nu", "nuan", "nun", "nuo", "nv", "nve",
    "o", "ou",
    "pa", "pai", "pan", "pang", "pao", "pei", "pen", "peng", "pi", "pian", "piao", "pie", "pin",
    "ping", "po", "pou", "pu",
    "qi", "qia", "qian", "qiang", "qiao", "qie", "qin", "qing", "qiong", "qiu", "qu", "quan",
    "que", "qun",
    "ran", "rang", "rao", "re", "ren", "reng", "ri", "rong", "rou", "ru", "rua", "ruan", "rui",
    "run", "ruo",
    "sa", "sai", "san", "sang", "sao", "se", "sen", "seng", "si", "song", "sou", "su", "suan",
    "sui", "sun", "suo",
    "sha", "shai", "shan", "shang", "shao", "she", "shei", "shen", "sheng", "shi", "shou", "shu",
    "shua", "shuai", "shuan", "shuang", "shui", "shun", "shuo",
    "ta", "tai", "tan", "tang", "tao", "te", "tei", "teng", "ti", "tian", "tiao", "tie", "ting",
    "tong", "tou", "tu", "tuan", "tui", "tun", "tuo",
    "wa", "wai", "wan", "wang", "wei", "wen", "weng", "wo", "wu",
    "xi", "xia", "xian", "xiang", "xiao", "xie", "xin", "xing", "xiong", "xiu", "xu", "xuan",
    "xue", "xun",
    "ya", "yan", "yang", "yao", "ye", "yi", "yin", "ying", "yo", "yong", "you", "yu", "yuan",
    "yue", "yun",
    "za", "zai", "zan", "zang", "zao", "ze", "zei", "zen", "zeng", "zi", "zong", "zou", "zu",
    "zuan", "zui", "zun", "zuo",
    "zha", "zhai", "zhan", "zhang", "zhao", "zhe", "zhei", "zhen", "zheng", "zhi", "zhong",
    "zhou", "zhu", "zhua", "zhuai", "zhuan", "zhuang", "zhui", "zhun", "zhuo",
    nullptr,
};
