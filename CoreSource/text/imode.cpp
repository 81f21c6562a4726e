// i-mode and u-mode: digits and unit letters typed after "i" or "u" become Chinese numerals
// (u-mode: the financial forms that cannot be altered by adding strokes).
#include <algorithm>
#include <cstring>

#include "base/imelog.h"
#include "record/qrdb.h"
#include "text/mode_strings.h"
#include "text/result_text.h"

namespace {

struct ime_numeral_t {
  char key;
  const char* lower;              // after "i"
  const char* financial;          // after "u"
  const char* lower_traditional;  // nullptr: the same as `lower`
  const char* financial_traditional;
};

constexpr ime_numeral_t kNumerals[] = {
    {'0', "〇", "零", nullptr, nullptr},
    {'1', "一", "壹", nullptr, nullptr},
    {'2', "二", "贰", nullptr, "貳"},
    {'3', "三", "叁", nullptr, "叄"},
    {'4', "四", "肆", nullptr, nullptr},
    {'5', "五", "伍", nullptr, nullptr},
    {'6', "六", "陆", nullptr, "陸"},
    {'7', "七", "柒", nullptr, nullptr},
    {'8', "八", "捌", nullptr, nullptr},
    {'9', "九", "玖", nullptr, nullptr},
    {'b', "百", "佰", nullptr, nullptr},
    {'q', "千", "仟", nullptr, nullptr},
    {'s', "十", "拾", nullptr, nullptr},
    {'w', "万", "万", "萬", "萬"},
    {'g', "个", "个", "個", "個"},
    {'d', "点", "点", nullptr, nullptr},
    {'f', "分", "分", nullptr, nullptr},
    {'j', "角", "角", nullptr, nullptr},
    {'n', "年", "年", nullptr, nullptr},
    {'r', "日", "日", nullptr, nullptr},
    {'y', "月", "月", nullptr, nullptr},
    {'v', "元", "元", nullptr, nullptr},
    {'z', "兆", "兆", nullptr, nullptr},
};

// "点" is the one key whose form follows the conversation's traditional mode in both texts.
constexpr char kPointKey = 'd';
constexpr const char* kPointTraditional = "點";

}  // namespace

const char* ime_imode_numeral(char mode_key, char key, bool traditional, bool traditional_mode) {
  if (key == kPointKey && traditional_mode) return kPointTraditional;
  for (const ime_numeral_t& numeral : kNumerals) {
    if (numeral.key != key) continue;
    bool financial = mode_key == 'u';
    const char* plain = financial ? numeral.financial : numeral.lower;
    const char* other = financial ? numeral.financial_traditional : numeral.lower_traditional;
    return traditional && other != nullptr ? other : plain;
  }
  return "";
}

int ime_build_imode_str(ime_conversation_t* conversation, char mode_key) {
  if (conversation == nullptr) return 0;
  ime_build_abbr_prefix(conversation);
  conversation->mode &= ~IME_MODE_SENTENCE;

  ime_query_result_t result{};
  result.type = IME_RESULT_VMODE;
  result.dbid = IME_DBID_VMODE;
  bool traditional_mode = (conversation->mode & IME_MODE_TRADITIONAL) != 0;
  int end = std::min<int>({conversation->curpos, conversation->inoff, IME_MAX_KEYS});
  for (int i = 1; i < end; ++i) {
    char key = conversation->inbuf[i];
    const char* plain = ime_imode_numeral(mode_key, key, false, traditional_mode);
    if (*plain == '\0') {
      IME_DEBUG("Invalid character:[%c]", key);
      continue;
    }
    // Both fields are cut at a character boundary once the numerals no longer fit.
    ime_text_field_append(result.hz, &result.hlen, plain);
    ime_text_field_append(result.thz, &result.thlen,
                          ime_imode_numeral(mode_key, key, true, traditional_mode));
  }
  if (result.hlen > 0) {
    result.plen = 1;
    ime_qrdb_add_result(conversation, IME_LIST_PHRASES, &result);
  }
  return 0;
}
