#include "sentenceparser/core/dan_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/generated_tables.h"
#include "sentenceparser/core/letter_lists.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/sp_file.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence {

DanRow DanTab[kDanRows];
int DanNum = 0;
int LoadDanTabFlag = 0;

namespace {

// Texts longer than this are no key of the choice.
constexpr std::size_t kChoiceTextMax = 16;

struct Substitute {
  const char* syllable;
  const char* character;  // GBK
};

// The character wanted for a syllable when exactly one is asked for; sorted by syllable.
constexpr Substitute kSubstitutes[] = {
    {"an", "\xB0\xB4"},  // 按
    {"bai", "\xB0\xD7"},  // 白
    {"ban", "\xB0\xE6"},  // 版
    {"bei", "\xB1\xBB"},  // 被
    {"bian", "\xB1\xE3"},  // 便
    {"bin", "\xB1\xF3"},  // 斌
    {"bo", "\xB2\xA8"},  // 波
    {"ca", "\xB2\xC1"},  // 擦
    {"cai", "\xB2\xC5"},  // 才
    {"ce", "\xB2\xE2"},  // 测
    {"cen", "\xE1\xAF"},  // 岑
    {"ceng", "\xD4\xF8"},  // 曾
    {"cha", "\xB2\xEE"},  // 差
    {"chai", "\xB2\xF0"},  // 拆
    {"chang", "\xB3\xA7"},  // 厂
    {"chen", "\xB3\xC2"},  // 陈
    {"chi", "\xB3\xD4"},  // 吃
    {"chou", "\xB3\xE9"},  // 抽
    {"chuan", "\xB4\xAC"},  // 船
    {"chuo", "\xB4\xC1"},  // 戳
    {"ci", "\xB4\xCB"},  // 此
    {"cu", "\xB4\xD6"},  // 粗
    {"cui", "\xB4\xDE"},  // 崔
    {"cuo", "\xB4\xED"},  // 错
    {"dai", "\xB4\xF8"},  // 带
    {"di", "\xB5\xD8"},  // 地
    {"dian", "\xB5\xE3"},  // 点
    {"die", "\xB5\xFE"},  // 叠
    {"dong", "\xB6\xAB"},  // 东
    {"duan", "\xB6\xCE"},  // 段
    {"eng", "\xED\x45"},  // 鞥
    {"fa", "\xB7\xA8"},  // 法
    {"fu", "\xB8\xB1"},  // 副
    {"ga", "\xB8\xC2"},  // 嘎
    {"gai", "\xB8\xC3"},  // 该
    {"gang", "\xB8\xD5"},  // 刚
    {"gong", "\xB9\xB2"},  // 共
    {"gou", "\xB9\xB5"},  // 沟
    {"gua", "\xB9\xD2"},  // 挂
    {"guan", "\xB9\xDC"},  // 管
    {"guang", "\xB9\xE2"},  // 光
    {"gui", "\xB9\xF3"},  // 贵
    {"guo", "\xB9\xFD"},  // 过
    {"han", "\xBA\xAC"},  // 含
    {"heng", "\xBA\xE1"},  // 横
    {"hu", "\xBB\xA7"},  // 户
    {"huai", "\xBB\xB3"},  // 怀
    {"hun", "\xBB\xEC"},  // 混
    {"huo", "\xBB\xF2"},  // 或
    {"ji", "\xBC\xB0"},  // 及
    {"jian", "\xBC\xFB"},  // 见
    {"jiao", "\xBD\xD0"},  // 叫
    {"jie", "\xBD\xEC"},  // 届
    {"jin", "\xBD\xF0"},  // 金
    {"kao", "\xBF\xBF"},  // 靠
    {"kuai", "\xBF\xE9"},  // 块
    {"kuang", "\xBF\xF3"},  // 矿
    {"kun", "\xC0\xA5"},  // 昆
    {"kuo", "\xC0\xA9"},  // 扩
    {"lang", "\xC0\xCA"},  // 朗
    {"li", "\xC0\xEF"},  // 里
    {"lian", "\xC1\xAC"},  // 连
    {"liang", "\xC1\xBD"},  // 两
    {"ling", "\xC1\xED"},  // 另
    {"liu", "\xC1\xF5"},  // 刘
    {"luo", "\xC2\xDE"},  // 罗
    {"mao", "\xC3\xAB"},  // 毛
    {"mei", "\xC3\xBF"},  // 每
    {"meng", "\xC3\xCE"},  // 梦
    {"miao", "\xC3\xEB"},  // 秒
    {"ming", "\xC3\xFB"},  // 名
    {"miu", "\xE7\xD1"},  // 缪
    {"mo", "\xC4\xA4"},  // 膜
    {"mu", "\xC4\xBE"},  // 木
    {"na", "\xC4\xC7"},  // 那
    {"nai", "\xC4\xCD"},  // 耐
    {"nao", "\xC4\xD4"},  // 脑
    {"ou", "\xC5\xB7"},  // 欧
    {"pa", "\xC5\xC2"},  // 怕
    {"pai", "\xC5\xC9"},  // 派
    {"pan", "\xC5\xCC"},  // 盘
    {"peng", "\xC5\xED"},  // 彭
    {"pian", "\xC6\xAC"},  // 片
    {"qia", "\xC7\xA1"},  // 恰
    {"qiang", "\xC7\xBF"},  // 强
    {"qie", "\xC7\xD2"},  // 且
    {"qin", "\xC7\xD8"},  // 秦
    {"qing", "\xC7\xEB"},  // 请
    {"qu", "\xC8\xA5"},  // 去
    {"que", "\xC8\xB4"},  // 却
    {"rong", "\xC8\xD9"},  // 荣
    {"ru", "\xC8\xE7"},  // 如
    {"sai", "\xC8\xFC"},  // 赛
    {"shai", "\xC9\xB9"},  // 晒
    {"shan", "\xC9\xBD"},  // 山
    {"she", "\xC9\xE7"},  // 社
    {"shen", "\xC9\xED"},  // 身
    {"shou", "\xCA\xDC"},  // 受
    {"shu", "\xCA\xFD"},  // 数
    {"shuan", "\xCB\xA9"},  // 拴
    {"shui", "\xCB\xAE"},  // 水
    {"si", "\xCB\xC4"},  // 四
    {"sou", "\xCB\xD2"},  // 艘
    {"su", "\xCB\xD5"},  // 苏
    {"sui", "\xCB\xEA"},  // 岁
    {"sun", "\xCB\xEF"},  // 孙
    {"tang", "\xCC\xC6"},  // 唐
    {"tao", "\xCC\xD7"},  // 套
    {"tou", "\xCD\xB7"},  // 头
    {"tu", "\xCD\xBC"},  // 图
    {"tun", "\xCD\xCD"},  // 屯
    {"wang", "\xCD\xF5"},  // 王
    {"wu", "\xCE\xE5"},  // 五
    {"xi", "\xCE\xF7"},  // 西
    {"xian", "\xCF\xC8"},  // 先
    {"xie", "\xD0\xB4"},  // 写
    {"xing", "\xD0\xD4"},  // 性
    {"xun", "\xD1\xB6"},  // 讯
    {"yan", "\xD1\xD4"},  // 言
    {"yang", "\xD1\xEE"},  // 杨
    {"ye", "\xD2\xB2"},  // 也
    {"yo", "\xD3\xB4"},  // 哟
    {"yu", "\xD3\xEB"},  // 与
    {"yuan", "\xD4\xAA"},  // 元
    {"yue", "\xD4\xC2"},  // 月
    {"yun", "\xD4\xC6"},  // 云
    {"za", "\xD4\xD3"},  // 杂
    {"zan", "\xD4\xDB"},  // 咱
    {"zao", "\xD4\xE7"},  // 早
    {"ze", "\xD4\xF2"},  // 则
    {"zha", "\xD4\xFA"},  // 扎
    {"zhai", "\xD5\xAE"},  // 债
    {"zhan", "\xD5\xBC"},  // 占
    {"zhang", "\xD5\xC5"},  // 张
    {"zhao", "\xD5\xD4"},  // 赵
    {"zheng", "\xD5\xFD"},  // 正
    {"zhi", "\xD6\xAE"},  // 之
    {"zhou", "\xD6\xDC"},  // 周
    {"zhuai", "\xD7\xA7"},  // 拽
    {"zhuan", "\xD7\xAA"},  // 转
    {"zhuang", "\xD7\xB4"},  // 状
};
static_assert(sizeof kSubstitutes / sizeof kSubstitutes[0] == 141);

constexpr char kLeftDoubleQuote[] = "\xA1\xB0";   // “
constexpr char kRightDoubleQuote[] = "\xA1\xB1";  // ”
constexpr char kSingleQuotes[] = "\xA1\xAE\xA1\xAF";  // ‘’

// Copies at most `room` - 1 bytes of `text`, whole two-byte characters only when the text is
// cut, and terminates. Returns the bytes copied.
std::size_t copy_characters(char* out, std::size_t room, const char* text) {
  if (room == 0) return 0;
  std::size_t length = std::strlen(text);
  if (length > room - 1) length = (room - 1) & ~static_cast<std::size_t>(1);
  std::memcpy(out, text, length);
  out[length] = '\0';
  return length;
}

// Reads one line through the engine's file access. A line longer than `max` - 1 bytes is
// consumed whole and reported as overlong, never split. false at the end of the file.
bool read_table_line(SpFile* file, char* line, std::size_t max, bool* overlong) {
  std::size_t stored = 0;
  bool read_any = false;
  *overlong = false;
  for (;;) {
    char c = 0;
    if (_fread(file, &c, 1) != 1) break;
    read_any = true;
    if (c == '\n') break;
    if (c == '\r') continue;
    if (stored < max - 1) {
      line[stored++] = c;
    } else {
      *overlong = true;
    }
  }
  line[stored] = '\0';
  return read_any;
}

void clear_row(DanRow& row) {
  std::free(row.characters);
  row = DanRow{};
}

// Fills the row from an unscrambled line: the syllable (its first two bytes, then the
// lower-case letters that follow), then the characters. A row it cannot hold stays empty.
bool fill_row(DanRow& row, const char* line) {
  const std::size_t length = std::strlen(line);
  std::size_t syllable_length = length < 2 ? length : 2;
  while (syllable_length < length && IsCharLower(line[syllable_length])) ++syllable_length;
  if (syllable_length >= sizeof row.syllable) return false;
  const std::size_t count = (length - syllable_length) / 2;
  if (count > static_cast<std::size_t>(kDanRowMax)) return false;
  auto* characters = static_cast<char*>(std::calloc(2 * count + 1, 1));
  if (characters == nullptr) return false;
  std::memcpy(characters, line + syllable_length, 2 * count);
  std::memcpy(row.syllable, line, syllable_length);
  row.syllable[syllable_length] = '\0';
  row.count = static_cast<unsigned char>(count);
  row.characters = characters;
  return true;
}

const char* accent_additions(const char* syllable) {
  const auto* begin = generated::kAccentAdditions;
  const auto* end = begin + generated::kAccentAdditionsCount;
  const auto* found = std::lower_bound(begin, end, syllable, [](const auto& row, const char* text) {
    return std::strcmp(row.syllable, text) < 0;
  });
  return found != end && std::strcmp(found->syllable, syllable) == 0 ? found->gbk : nullptr;
}

}  // namespace

void FreeDan() {
  for (DanRow& row : DanTab) clear_row(row);
  DanNum = 0;
  LoadDanTabFlag = 0;
}

int LoadDanFrom(const char* path) {
  FreeDan();
  SpFile* file = _fopen(path, kOpenRead);
  if (file == nullptr) {
    IME_ERROR("The single-character table %s cannot be opened", path ? path : "(none)");
    return 0;
  }
  char line[kDanLineMax + 1];
  bool overlong = false;
  int rows = 0;
  while (rows < kDanRows && read_table_line(file, line, sizeof line, &overlong)) {
    if (overlong) {
      IME_ERROR("%s: line %d is longer than %d bytes; its row stays empty", path, rows + 1,
                kDanLineMax);
    } else {
      decodeline(line);
      if (!fill_row(DanTab[rows], line)) {
        IME_ERROR("%s: line %d has a syllable over 6 letters or over %d characters; its row "
                  "stays empty", path, rows + 1, kDanRowMax);
      }
    }
    ++rows;
  }
  _fclose(file);
  DanNum = rows;
  LoadDanTabFlag = 1;
  return 1;
}

void LoadDan() {
  if (LoadDanTabFlag == 1) return;
  char path[512] = {};
  if (ime_get_resource_filename("pydan.tab", path) < 0) {
    IME_ERROR("The single-character table pydan.tab has no path");
    return;
  }
  IME_INFO("The data:[%s]", path);
  LoadDanFrom(path);
}

int DbchInDbchs(const char* character, const char* list) {
  if (character == nullptr || list == nullptr || character[0] == '\0' || character[1] == '\0') {
    return 0;
  }
  for (const char* pair = list; pair[0] != '\0' && pair[1] != '\0'; pair += 2) {
    if (pair[0] == character[0] && pair[1] == character[1]) return 1;
  }
  return 0;
}

int PromptJion(const char* first, const char* second, char* output) {
  if (output == nullptr) return 0;
  if (first == nullptr) first = "";
  if (second == nullptr) second = "";
  constexpr std::size_t room = kRepeatHzOutput;
  if (first[0] == '\0') return static_cast<int>(copy_characters(output, room, second) / 2);
  // The first text may live in the output; keep a copy to test against.
  char kept[kRepeatHzOutput];
  std::size_t length = copy_characters(kept, room, first);
  std::memcpy(output, kept, length + 1);
  for (const char* pair = second; pair[0] != '\0' && pair[1] != '\0'; pair += 2) {
    if (DbchInDbchs(pair, kept)) continue;
    if (length + 2 > room - 1) break;
    output[length++] = pair[0];
    output[length++] = pair[1];
  }
  output[length] = '\0';
  return static_cast<int>(length / 2);
}

int ChangeDan(const char* text, char* output) {
  if (text == nullptr || output == nullptr) return 0;
  for (const Substitute& entry : kSubstitutes) {
    if (std::strcmp(entry.syllable, text) == 0) {
      std::memcpy(output, entry.character, 3);
      return 1;
    }
  }
  return 0;
}

void AddSouthPY(const char* text, const char* list, char* output) {
  if (output == nullptr) return;
  std::size_t length = copy_characters(output, kRepeatHzOutput, list ? list : "");
  if (InputProperty.StripUserMarks == 0 || text == nullptr) return;
  if (const char* additions = accent_additions(text)) {
    copy_characters(output + length, kRepeatHzOutput - length, additions);
  }
}

unsigned GetRepeatHz(const char* prefix, const char* text, char* output, signed char mode) {
  if (text == nullptr || output == nullptr) return 0;
  const std::size_t length = strnlen(text, kChoiceTextMax + 1);
  if (length == 0 || length > kChoiceTextMax) return 0;

  const bool one = mode == 0;
  if (std::memcmp(text, kLeftDoubleQuote, 2) == 0 || std::memcmp(text, kRightDoubleQuote, 2) == 0) {
    const char* other = text[1] == kLeftDoubleQuote[1] ? kRightDoubleQuote : kLeftDoubleQuote;
    std::memcpy(output, other, 2);
    if (one) {
      output[2] = '\0';
      return 1;
    }
    std::memcpy(output + 2, kSingleQuotes, sizeof kSingleQuotes);
    return 3;
  }

  char work[kChoiceTextMax + 1];
  std::memcpy(work, text, length + 1);
  int count = 0;
  if (IsCharUpper(work[0])) {
    count = GetJpDan(prefix, work, output);
  } else {
    if (one && ChangeDan(work, output)) return 1;
    char marked[kChoiceTextMax + 1];
    std::memcpy(marked, work, length + 1);
    dan_to_shuang(marked, 1);
    const int number = getpyno(marked);
    if (number < 0) {
      count = GetJpDan(prefix, work, output);
    } else {
      const char* row = DanTab[number].characters ? DanTab[number].characters : "";
      char plain[8] = {};
      ime_dan_to_shuang(marked, plain, 0);
      AddSouthPY(plain, row, output);
      count = static_cast<int>(std::strlen(output) / 2);
      // A syllable with neither a row nor additions has no character to offer.
      if (count == 0) {
        output[0] = '\0';
        return 0;
      }
    }
  }
  if (one) {
    output[2] = '\0';
    return 1;
  }
  return count < 0 ? 0u : static_cast<unsigned>(count);
}

int GetDan(const char* code, char* output) {
  if (code == nullptr || output == nullptr) return 0;
  output[0] = '\0';
  if (code[0] == '\0' || code[1] == '\0') return 0;
  const char final_code[2] = {code[1], '\0'};
  char syllable[16] = {code[0]};
  if (ime_trans_ym(final_code, syllable + 1, 1) != 0) return 0;
  char plain[8] = {};
  ime_dan_to_shuang(syllable, plain, 0);  // "aP" -> "a", as the substitutes and additions know it
  return static_cast<int>(GetRepeatHz(nullptr, plain, output, 0));
}

}  // namespace sentence
