#include "given_rows.h"

#include <array>

namespace tavgen {

namespace {

constexpr GivenLetterHead kLetterHeads[] = {
    {'a', 78, "按安案爱阿奥岸澳埃碍"},  {'b', 125, "不部本表报保并比办北"},
    {'c', 125, "次从产出成长重种场程"}, {'d', 125, "的大地对到定多动第等"},
    {'e', 52, "而二尔额儿阿恩恶俄耳"},  {'f', 125, "法副发方分放府服费反"},
    {'g', 125, "个国工公关合高过各管"}, {'h', 125, "和或会行合后化好还活"},
    {'i', 125, ""},                     {'j', 125, "就经家进机建加济其计"},
    {'k', 125, "可开会科口看况款克快"}, {'l', 125, "了理来力利量立两里领"},
    {'m', 125, "名民们面万目门美明无"}, {'n', 125, "年能内农南那难女你念"},
    {'o', 14, "欧偶殴呕耦讴藕鸥哦瓯怄噢沤区"},
    {'p', 125, "片批品平配评便排破培"}, {'q', 125, "去其全区企前起将期情"},
    {'r', 102, "人日入任如然认容热让"}, {'s', 125, "是上生时市实设社十事"},
    {'t', 125, "他同体条提通统天题特"}, {'u', 125, ""},
    {'v', 125, ""},                     {'w', 125, "为我外务文位问万委物"},
    {'x', 125, "下新行学现系性小些向"}, {'y', 125, "一有业要以用于员应说"},
    {'z', 125, "在中作这主政制展自长"},
};

constexpr GivenCertainty kCertainties[] = {
    {"a", 83},     {"e", 41},    {"o", 70},     {"ji", 9},    {"shi", 23},  {"yi", 41},
    {"le", 94},    {"wo", 93},   {"zai", 90},   {"en", 98},   {"er", 42},   {"da", 74},
    {"de", 82},    {"dei", 99},  {"deng", 82},  {"di", 77},   {"diu", 99},  {"zei", 99},
    {"zen", 99},   {"zhei", 99}, {"zhuai", 99}, {"zhun", 98}, {"zou", 88},  {"zhua", 95},
    {"zhui", 85},  {"zhe", 56},  {"zhong", 56}, {"zhan", 56}, {"zha", 73},  {"zeng", 68},
    {"zhou", 32},  {"zhen", 29}, {"zhai", 28},  {"zhi", 15},  {"zi", 33},   {"zhu", 39},
    {"zuo", 77},
};

constexpr std::string_view kWithoutCertainty[] = {
    "eng", "lv",   "lve",   "nv",   "nve", "bong", "mong", "muo",
    "ong", "pong", "shong", "suai", "wun", "zuang", "www",
};

constexpr GivenAddition kAdditions[] = {
    {"an", "喑奄昂盎肮爱埃碍"},
    {"ai", "安厂"},
    {"ang", "腌"},
    {"ba", "葩报保大"},
    {"bang", "办版半班般板颁泵崩蚌"},
    {"bu", "讣薄普埔暴铺比必"},
    {"lan", "浪朗郎来赖"},
    {"nan", "兰览蓝栏滥囊馕囔曩"},
    {"lin", "彬禀领令另零灵龄陵岭凌铃玲菱棱伶拎羚聆苓翎瓴理力利立"},
    {"fu", "妩溥愎哺和户护核不部步布"},
    {"hu", "觚府服复负妒"},
    {"zi", "制之治指质职志织只支至知值直识执致置止植机济其计系技及期基"},
    {"en", "硬"},
    {"e", "而二尔儿耳饵迩贰洱铒鸸珥鲕佴玉掌家结解"},
};

constexpr std::string_view kAdditionKeys[] = {
    "an", "ai", "ang", "ba", "bai", "ban", "bang", "bao", "bei", "ben", "beng", "bi", "bian", "biao",
    "bie", "bing", "bo", "bu", "ca", "cai", "can", "cang", "cao", "ce", "ceng", "cha", "chai", "chan",
    "chang", "chao", "che", "chen", "cheng", "chi", "chong", "chou", "chu", "chuan", "chuang", "chui",
    "chun", "chuo", "ci", "cong", "cu", "cuan", "cui", "cun", "cuo", "da", "dai", "dan", "dang", "dao",
    "de", "deng", "di", "die", "dian", "diao", "ding", "dong", "dou", "du", "duan", "dui", "dun", "duo",
    "e", "en", "er", "fa", "fan", "fang", "fei", "fen", "feng", "fou", "fu", "gai", "gan", "ga", "gang",
    "gao", "ge", "gei", "gen", "geng", "gong", "gou", "gu", "gua", "guai", "guan", "guang", "gui", "gun",
    "guo", "hai", "han", "hang", "hao", "he", "hei", "hen", "heng", "hong", "hou", "hu", "hua", "huai",
    "huan", "huang", "hui", "huo", "ji", "jia", "jian", "jiang", "jiao", "jie", "jin", "jing", "jiu",
    "ju", "juan", "jue", "jun", "kai", "kan", "kang", "kao", "ke", "kou", "kuai", "kua", "kuan", "kuang",
    "kui", "kun", "kuo", "ku", "la", "lai", "lan", "lao", "le", "lei", "leng", "li", "lian", "liang",
    "liao", "lie", "lin", "ling", "liu", "long", "lou", "lu", "lue", "lun", "luo", "lv", "lve", "ma",
    "mai", "man", "mang", "mao", "me", "mei", "men", "meng", "mi", "mian", "min", "ming", "mo", "mou",
    "mu", "na", "nai", "nan", "nao", "ne", "nei", "nen", "neng", "ni", "nian", "niang", "nin", "ning",
    "niu", "nong", "nu", "nuo", "nv", "ou", "pai", "pan", "pang", "pao", "pei", "pen", "peng", "pian",
    "piao", "pin", "ping", "pi", "po", "pu", "qi", "qia", "qian", "qiang", "qiao", "qie", "qin", "qing",
    "qiu", "qu", "quan", "que", "ran", "rang", "rao", "re", "ren", "reng", "ri", "rong", "rou", "ru",
    "ruan", "rui", "ruo", "sa", "sai", "san", "sang", "sao", "se", "sen", "sha", "shan", "shang", "shao",
    "she", "shen", "sheng", "shi", "shou", "shu", "shua", "shuai", "shuang", "shui", "shun", "shuo", "si",
    "sou", "su", "suan", "sui", "sun", "suo", "ta", "tai", "tan", "tao", "tang", "te", "ti", "tian",
    "tiao", "tie", "ting", "tong", "tou", "tu", "tuan", "tui", "tun", "tuo", "wai", "wan", "wang", "wei",
    "wen", "wo", "wu", "xi", "xia", "xian", "xiang", "xiao", "xie", "xin", "xing", "xiong", "xiu", "xu",
    "xuan", "xue", "xun", "ya", "yan", "yang", "yao", "ye", "yi", "yin", "ying", "yong", "you", "yu",
    "yuan", "yue", "yun", "za", "zai", "zan", "zang", "zao", "ze", "zen", "zeng", "zha", "zhai", "zhan",
    "zhang", "zhao", "zhe", "zhen", "zheng", "zhi", "zhong", "zhou", "zhu", "zhuai", "zhuan", "zhuang",
    "zhui", "zhun", "zhuo", "zi", "zong", "zou", "zu", "zui", "zun", "zuo",
};

}  // namespace

std::span<const GivenLetterHead> given_letter_heads() { return kLetterHeads; }
std::span<const GivenCertainty> given_certainties() { return kCertainties; }
std::span<const std::string_view> syllables_without_certainty() { return kWithoutCertainty; }
std::span<const GivenAddition> given_accent_additions() { return kAdditions; }
std::span<const std::string_view> accent_addition_keys() { return kAdditionKeys; }

}  // namespace tavgen
