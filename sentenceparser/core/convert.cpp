// The convert entry: splits a pinyin stream into items and hands them to the single-character
// choice or to the segmentation driver; and the syllable test the word key relies on.
#include "sentenceparser/core/convert.h"

#include <cstring>
#include <string_view>

#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/hanzi_pinyin.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/segmentation_driver.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/text_helpers.h"

namespace sentence {
namespace {

// The ten full-width digits ０..９; an item holding one of them counts as a digit.
constexpr char kFullNumber[] =
    "\xA3\xB0\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xB4\xA3\xB5\xA3\xB6\xA3\xB7\xA3\xB8\xA3\xB9";

constexpr int kMaxSyllableLetters = 6;

// Compared two bytes at a time: a plain substring search would also find the GB2312 characters
// that straddle two digits.
bool is_full_width_digit(unsigned char lead, unsigned char trail) {
  for (std::size_t i = 0; i + 1 < sizeof kFullNumber - 1; i += 2) {
    if (static_cast<unsigned char>(kFullNumber[i]) == lead &&
        static_cast<unsigned char>(kFullNumber[i + 1]) == trail) {
      return true;
    }
  }
  return false;
}

bool is_ascii_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_ascii_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool is_ascii_upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// Fills NCM from left to right; refuses to open an item past the table.
class ItemBuilder {
 public:
  // Whether the item to fill lies inside the table.
  bool has_room() const { return count_ < kMaxItems; }
  Item& current() { return NCM[count_]; }
  void close() {
    ++count_;
    letters_ = 0;
  }
  void close_if_started() {
    if (letters_ > 0) close();
  }
  int letters() const { return letters_; }
  void add_letter(char c) {
    if (letters_ < kMaxSyllableLetters) current().letters[letters_++] = c;
  }
  // A one-byte item is closed by whatever comes next.
  void mark_single_byte() { letters_ = 1; }
  int count() const { return count_; }

 private:
  int count_ = 0;
  int letters_ = 0;
};

void add_gbk_character(ItemBuilder& items, const unsigned char* at) {
  Item& item = items.current();
  item.character[0] = at[0];
  item.character[1] = at[1];
  item.flags |= kItemFixed | kItemGiven;
  if (is_full_width_digit(at[0], at[1])) item.flags2 |= kItemDigit;
  // Any two-byte unit counts as a Chinese character here; only a GB2312 one has a reading.
  item.flags |= kItemChinese;
  char unit[3] = {static_cast<char>(at[0]), static_cast<char>(at[1]), '\0'};
  char reading[8] = {};
  if (GetHzPy(unit, reading) == 1) {
    reading[kMaxSyllableLetters] = '\0';
    std::memcpy(item.letters, reading, sizeof item.letters);
    item.flags |= kItemPinyin;
    item.flags &= static_cast<unsigned char>(~kItemAbbreviated);
  }
  item.flags |= kItemWordStart | kItemWordEnd;
  items.close();
}

void add_single_byte(ItemBuilder& items, unsigned char c) {
  Item& item = items.current();
  item.letters[0] = static_cast<char>(c);
  item.character[0] = 0;
  item.character[1] = c;
  item.flags |= kItemFixed | kItemWordStart | kItemWordEnd;
  if (is_ascii_digit(c)) item.flags2 |= kItemDigit;
  items.mark_single_byte();
}

void respell(Item& item) {
  struct Respelling {
    const char* typed;
    const char* stored;
  };
  static constexpr Respelling kRespellings[] = {{"lue", "lve"}, {"nue", "nve"}, {"yv", "yu"}};
  for (const auto& r : kRespellings) {
    if (std::strncmp(item.letters, r.typed, sizeof item.letters) == 0) {
      std::strncpy(item.letters, r.stored, sizeof item.letters);
      return;
    }
  }
}

// The Chinese characters of `preset`, two bytes per item, fix the pinyin items they stand over.
void apply_preset(const char* preset, int count) {
  if (preset == nullptr) return;
  const std::size_t length = std::strlen(preset);
  for (int i = 0; i < count && static_cast<std::size_t>(2 * i + 1) < length; ++i) {
    const char* unit = preset + 2 * i;
    Item& item = NCM[i];
    if ((item.flags & kItemPinyin) == 0 || (item.flags & kItemGiven) != 0) continue;
    if (ComputeGbNo(unit) < 0) continue;
    item.character[0] = static_cast<unsigned char>(unit[0]);
    item.character[1] = static_cast<unsigned char>(unit[1]);
    item.flags |= kItemFixed | kItemChinese | kItemGiven | kItemWordStart | kItemWordEnd;
  }
}

// IsPy's lists: the letters that may follow each first letter, one entry between two commas.
struct SyllableList {
  char first;
  const char* lenient;
  const char* strict;  // nullptr: the lenient list
};

constexpr SyllableList kSyllableLists[] = {
    {'a', ",,i,n,ng,o,", nullptr},
    {'b', ",a,ai,an,ang,ao,ei,en,eng,i,ian,iao,ie,in,ing,o,u,", nullptr},
    {'c',
     ",a,ai,an,ang,ao,e,en,eng,ha,hai,han,hang,hao,he,hen,heng,hi,hong,hou,hu,huai,huan,huang,"
     "hui,hun,huo,i,ong,ou,u,uan,ui,un,uo,",
     nullptr},
    {'d', ",a,ai,an,ang,ao,e,ei,eng,i,ia,ian,iao,ie,ing,iu,ong,ou,u,uan,ui,un,uo,",
     ",a,ai,an,ang,ao,e,eng,i,ian,iao,ie,ing,iu,ong,ou,u,uan,ui,un,uo,"},
    {'e', ",,n,ng,r,i,", ",,n,r,"},
    {'f', ",a,an,ang,ei,en,eng,o,ou,u,", nullptr},
    {'g', ",a,ai,an,ang,ao,e,ei,en,eng,ong,ou,u,ua,uai,uan,uang,ui,un,uo,", nullptr},
    {'h', ",a,ai,an,ang,ao,e,ei,en,eng,ong,ou,u,ua,uai,uan,uang,ui,un,uo,", nullptr},
    {'j', ",i,ia,ian,iang,iao,ie,in,ing,iong,iu,u,uan,ue,un,", nullptr},
    {'k', ",a,ai,an,ang,ao,e,en,eng,ong,ou,u,ua,uai,uan,uang,ui,un,uo,", nullptr},
    {'l',
     ",a,ai,an,ang,ao,e,ei,eng,i,ia,ian,iang,iao,ie,in,ing,iu,ong,ou,u,v,ve,uan,ue,un,uo,o,",
     nullptr},
    {'m', ",a,ai,an,ang,ao,e,ei,en,eng,i,ian,iao,ie,in,ing,iu,o,ou,u,", nullptr},
    {'n', ",a,ai,an,ang,ao,e,ei,en,eng,i,ian,iang,iao,ie,in,ing,iu,ong,ou,v,ve,u,uan,ue,uo,",
     nullptr},
    {'o', ",,ng,u,", ",,u,"},
    {'p', ",a,ai,an,ang,ao,ei,en,eng,i,ian,iao,ie,in,ing,o,ong,ou,u,", nullptr},
    {'q', ",i,ia,ian,iang,iao,ie,in,ing,iong,iu,u,uan,ue,un,", nullptr},
    {'r', ",an,ang,ao,e,en,eng,i,ong,ou,u,uan,ui,un,uo,", nullptr},
    {'s',
     ",a,ai,an,ang,ao,e,en,eng,ha,hai,han,hang,hao,he,hei,hen,heng,hi,hou,hu,hua,huai,huan,"
     "huang,hui,hun,huo,i,ong,ou,u,uan,ui,un,uo,",
     nullptr},
    {'t', ",a,ai,an,ang,ao,e,ei,eng,i,ian,iao,ie,ing,ong,ou,u,uan,ui,un,uo,", nullptr},
    {'w', ",a,ai,an,ang,ei,en,eng,o,u,", nullptr},
    {'x', ",i,ia,ian,iang,iao,ie,in,ing,iong,iu,u,uan,ue,un,", nullptr},
    {'y', ",a,an,ang,ao,e,i,in,ing,o,ong,ou,u,v,uan,ue,un,", nullptr},
    {'z',
     ",a,ai,an,ang,ao,e,ei,en,eng,ha,hai,han,hang,hao,he,hei,hen,heng,hi,hong,hou,hu,hua,huai,"
     "huan,huang,hui,hun,huo,i,ong,ou,u,uan,ui,un,uo,",
     nullptr},
};

constexpr std::size_t kMaxSyllableLength = 11;

// Nothing of a refused input stays in the table.
int refuse_too_many_items() {
  std::memset(NCM, 0, sizeof NCM);
  CurrentItem = 0;
  return kConvertTooManyItems;
}

}  // namespace

void resetpy() {
  CurrentItem = 0;
  std::memset(NCM, 0, sizeof NCM);
}

int sendpy(const char* input, const char* preset) {
  resetpy();
  if (input == nullptr) return 0;
  ItemBuilder items;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input);
  for (std::size_t i = 0; bytes[i] != '\0'; ++i) {
    const unsigned char c = bytes[i];
    if (c == '_') {
      items.close_if_started();
      continue;
    }
    if ((c & 0x80) != 0) {
      // A lead byte with nothing after it is half a character: it makes no item.
      if (bytes[i + 1] == '\0') break;
      items.close_if_started();
      if (!items.has_room()) return refuse_too_many_items();
      add_gbk_character(items, bytes + i);
      ++i;
      continue;
    }
    if (is_ascii_lower(c)) {
      // Letters after a digit or a sign start a syllable of their own rather than vanish into
      // the fixed one-byte item.
      if (items.letters() > 0 && (items.current().flags & kItemFixed) != 0) items.close();
      if (!items.has_room()) return refuse_too_many_items();
      items.current().flags |= kItemPinyin;
      items.add_letter(static_cast<char>(c));
      continue;
    }
    items.close_if_started();
    if (!items.has_room()) return refuse_too_many_items();
    if (is_ascii_upper(c)) {
      items.current().flags |= kItemPinyin | kItemAbbreviated;
      items.add_letter(static_cast<char>(c));
      continue;
    }
    add_single_byte(items, c);
  }
  items.close_if_started();
  const int count = items.count();
  for (int i = 0; i < count; ++i) respell(NCM[i]);
  apply_preset(preset, count);
  CurrentItem = count;
  return count;
}

int IsPy(const char* syllable, int strict) {
  if (syllable == nullptr) return 0;
  const std::size_t length = strnlen(syllable, kMaxSyllableLength + 1);
  if (length == 0 || length > kMaxSyllableLength) return 0;
  // Only letters: a separator inside the text would match across the list's entries.
  for (std::size_t i = 0; i < length; ++i) {
    if (!is_ascii_lower(static_cast<unsigned char>(syllable[i]))) return 0;
  }
  for (const auto& list : kSyllableLists) {
    if (list.first != syllable[0]) continue;
    const char* entries = (strict != 0 && list.strict != nullptr) ? list.strict : list.lenient;
    char wanted[kMaxSyllableLength + 2] = {','};
    std::memcpy(wanted + 1, syllable + 1, length - 1);
    wanted[length] = ',';
    return std::string_view(entries).find(std::string_view(wanted, length + 1)) !=
                   std::string_view::npos
               ? 1
               : 0;
  }
  return 0;
}

int ConvertStream(char* input, char* output, signed char mode) {
  MaxWordNum = 7;
  output[0] = '\0';
  ClearXinhao(input);
  ClearSpace(input);
  resetpy();
  if (mode == 0 && IsUserDefineWord(input, output) == 1) return kConvertNothing;

  const int count = sendpy(input, output);
  if (count < 0) {
    output[0] = '\0';
    return count;
  }
  if (count == 1) {
    const int written = static_cast<int>(GetRepeatHz("", input, output, mode));
    if (InputProperty.ReportAsHandled != 0) return kConvertNothing;
    return (mode != 0 && written == 0) ? -1 : written;
  }

  int result = fixpyhz(output, mode);
  if (mode == 0) {
    std::size_t at = 0;
    for (int i = 0; i < CurrentItem; ++i) {
      for (unsigned char byte : NCM[i].character) {
        if (byte != 0) output[at++] = static_cast<char>(byte);
      }
    }
    output[at] = '\0';
  }
  if (InputProperty.ReportAsHandled != 0) result = kConvertNothing;
  return result;
}

}  // namespace sentence
