// The 433 syllable texts in number order: sorted by byte value, the end of a text counting as
// greater than any byte (so "ang" comes before "an", and "aP" before "ai"). One-vowel syllables
// and letter-only items carry an upper-case mark ("aP", "iA").
// The number fixes the line order of pydan.tab, so its writer and reader share this list.
#pragma once

namespace sentence {

inline constexpr int kSyllableTextCount = 433;

inline constexpr const char* kSyllableTexts[kSyllableTextCount] = {
    "aP", "ai", "ang", "an", "ao", "bai", "bang", "ban", "bao", "ba", "bei", "beng", "ben", "bian",
    "biao", "bie", "bing", "bin", "bi", "bong", "bo", "bu", "cai", "cang", "can", "cao", "ca",
    "ceng", "cen", "ce", "chai", "chang", "chan", "chao", "cha", "cheng", "chen", "che", "chi",
    "chong", "chou", "chuai", "chuang", "chuan", "chui", "chun", "chuo", "chu", "ci", "cong",
    "cou", "cuan", "cui", "cun", "cuo", "cu", "dai", "dang", "dan", "dao", "da", "dei", "deng",
    "de", "dian", "diao", "dia", "die", "ding", "diu", "di", "dong", "dou", "duan", "dui", "dun",
    "duo", "du", "eQ", "eng", "en", "er", "fang", "fan", "fa", "fei", "feng", "fen", "fou", "fo",
    "fu", "gai", "gang", "gan", "gao", "ga", "gei", "geng", "gen", "ge", "gong", "gou", "guai",
    "guang", "guan", "gua", "gui", "gun", "guo", "gu", "hai", "hang", "han", "hao", "ha", "hei",
    "heng", "hen", "he", "hong", "hou", "huai", "huang", "huan", "hua", "hui", "hun", "huo", "hu",
    "iA", "iB", "jiang", "jian", "jiao", "jia", "jie", "jing", "jin", "jiong", "jiu", "ji", "juan",
    "jue", "jun", "ju", "kai", "kang", "kan", "kao", "ka", "keng", "ken", "ke", "kong", "kou",
    "kuai", "kuang", "kuan", "kua", "kui", "kun", "kuo", "ku", "lai", "lang", "lan", "lao", "la",
    "lei", "leng", "le", "liang", "lian", "liao", "lia", "lie", "ling", "lin", "liu", "li", "long",
    "lou", "lo", "luan", "lue", "lun", "luo", "lu", "lve", "lv", "mai", "mang", "man", "mao", "ma",
    "mei", "meng", "men", "me", "mian", "miao", "mie", "ming", "min", "miu", "mi", "mong", "mou",
    "mo", "muo", "mu", "nai", "nang", "nan", "nao", "na", "nei", "neng", "nen", "ne", "niang",
    "nian", "niao", "nie", "ning", "nin", "niu", "ni", "nong", "nou", "nuan", "nue", "nuo", "nu",
    "nve", "nv", "oR", "ong", "ou", "pai", "pang", "pan", "pao", "pa", "pei", "peng", "pen",
    "pian", "piao", "pie", "ping", "pin", "pi", "pong", "pou", "po", "pu", "qiang", "qian", "qiao",
    "qia", "qie", "qing", "qin", "qiong", "qiu", "qi", "quan", "que", "qun", "qu", "rang", "ran",
    "rao", "reng", "ren", "re", "ri", "rong", "rou", "ruan", "rui", "run", "ruo", "ru", "sai",
    "sang", "san", "sao", "sa", "seng", "sen", "se", "shai", "shang", "shan", "shao", "sha",
    "shei", "sheng", "shen", "she", "shi", "shong", "shou", "shuai", "shuang", "shuan", "shua",
    "shui", "shun", "shuo", "shu", "si", "song", "sou", "suai", "suan", "sui", "sun", "suo", "su",
    "tai", "tang", "tan", "tao", "ta", "tei", "teng", "te", "tian", "tiao", "tie", "ting", "ti",
    "tong", "tou", "tuan", "tui", "tun", "tuo", "tu", "uC", "uD", "uE", "uF", "uG", "uH", "uI",
    "vJ", "vK", "vL", "vM", "vN", "vO", "wai", "wang", "wan", "wa", "wei", "weng", "wen", "wo",
    "wun", "wu", "www", "xiang", "xian", "xiao", "xia", "xie", "xing", "xin", "xiong", "xiu", "xi",
    "xuan", "xue", "xun", "xu", "yang", "yan", "yao", "ya", "ye", "ying", "yin", "yi", "yong",
    "you", "yo", "yuan", "yue", "yun", "yu", "zai", "zang", "zan", "zao", "za", "zei", "zeng",
    "zen", "ze", "zhai", "zhang", "zhan", "zhao", "zha", "zhei", "zheng", "zhen", "zhe", "zhi",
    "zhong", "zhou", "zhuai", "zhuang", "zhuan", "zhua", "zhui", "zhun", "zhuo", "zhu", "zi",
    "zong", "zou", "zuang", "zuan", "zui", "zun", "zuo", "zu",
};

}  // namespace sentence
