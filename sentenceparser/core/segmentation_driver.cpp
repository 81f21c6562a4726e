// The segmentation driver and the passes it owns: head and end characters, the one-syllable
// pass, and the word key that every word lookup is asked with.
#include "sentenceparser/core/segmentation_driver.h"

#include <cstring>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/hanzi_pinyin.h"
#include "sentenceparser/core/segmentation.h"

namespace sentence {
namespace {

// Written into a pinyin item that no pass resolved, so the sentence still has one character per
// item; the caller learns from the result which item it was.
constexpr unsigned char kFiller[2] = {0xB0, 0xA1};

// The longest word a key describes: 7 initials and 7 codes fill 14 of its 16 bytes.
constexpr int kMaxKeySyllables = 7;
constexpr int kKeySize = 16;

constexpr unsigned char kFixedChinese = kItemFixed | kItemChinese;
constexpr unsigned char kOwnWord = kFixedChinese | kItemWordStart | kItemWordEnd;

// The item's letters as a C string, whatever the seven bytes hold.
void item_text(const Item& item, char* out) {
  std::memcpy(out, item.letters, sizeof item.letters);
  out[sizeof item.letters] = '\0';
}

bool eligible_for_headend(const Item& item) {
  return (item.flags & kItemPinyin) != 0 && (item.flags & (kItemFixed | kItemAbbreviated)) == 0;
}

void fix_with(Item& item, const char* gbk, unsigned char flags) {
  item.character[0] = static_cast<unsigned char>(gbk[0]);
  item.character[1] = static_cast<unsigned char>(gbk[1]);
  item.flags |= flags;
}

// What follows the syllable before the last item: a typed byte sits in the letters, a full-width
// sign only in the character bytes.
void following_text(const Item& item, char* out) {
  item_text(item, out);
  if (out[0] != '\0') return;
  out[0] = static_cast<char>(item.character[0]);
  out[1] = static_cast<char>(item.character[1]);
  out[2] = '\0';
}

// Initial, second letter and final code of one syllable in its key form.
struct KeyPart {
  char initial;
  char second;
  char code;
};

// Digits (and the text "SZ") stand in a key as the placeholder syllable "iA".
constexpr char kDigitSyllable[] = "iA";

// The syllable an item contributes to a key: its letters, a digit's placeholder, or for a given
// character whose letters are no syllable, the character's reading.
bool key_syllable(const Item& item, char* syllable) {
  item_text(item, syllable);
  if ((item.flags2 & kItemDigit) != 0 || std::strcmp(syllable, "SZ") == 0) {
    std::strcpy(syllable, kDigitSyllable);
    return true;
  }
  for (char* c = syllable; *c != '\0'; ++c) {
    if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
  }
  if (IsPy(syllable, 0) == 1) return true;
  if ((item.flags & kItemGiven) == 0) return false;
  const char unit[3] = {static_cast<char>(item.character[0]),
                        static_cast<char>(item.character[1]), '\0'};
  char reading[8] = {};
  if (GetHzPy(unit, reading) != 1) return false;
  reading[6] = '\0';
  std::strcpy(syllable, reading);
  return IsPy(syllable, 0) == 1;
}

bool key_part(const Item& item, KeyPart& part) {
  char syllable[8];
  if (!key_syllable(item, syllable)) return false;
  char marked[8] = {};
  ime_dan_to_shuang(syllable, marked, 1);
  char code[8] = {};
  if (ime_trans_ym(marked + 1, code, 0) != 0) return false;
  part.initial = marked[0];
  part.second = marked[1];
  if (part.second >= 'A' && part.second <= 'Z') {
    part.second = static_cast<char>(part.second - 'A' + 'a');
  }
  part.code = code[0];
  return true;
}

}  // namespace

int TakeChkp(int first, int last, char* key) {
  std::memset(key, 0, kKeySize);
  const int count = last - first + 1;
  if (first < 0 || last >= CurrentItem || last >= kMaxItems || count < 1 ||
      count > kMaxKeySyllables) {
    return 0;
  }
  KeyPart parts[kMaxKeySyllables];
  for (int i = 0; i < count; ++i) {
    if (!key_part(NCM[first + i], parts[i])) {
      std::memset(key, 0, kKeySize);
      return 0;
    }
  }
  if (count == 2) {
    key[0] = parts[0].initial;
    key[1] = parts[1].initial;
    key[2] = parts[0].second;
    key[3] = parts[1].second;
    key[4] = parts[0].code;
    key[5] = parts[1].code;
    return 1;
  }
  for (int i = 0; i < count; ++i) {
    key[i] = parts[i].initial;
    key[count + i] = parts[i].code;
  }
  return 1;
}

void process_headend() {
  if (CurrentItem <= 1 || CurrentItem > kMaxItems) return;
  char syllable[8];
  char character[3];

  Item& head = NCM[0];
  if (eligible_for_headend(head)) {
    item_text(head, syllable);
    if (gethead_chr(syllable, character) == 1) fix_with(head, character, kOwnWord);
  }

  const int last = CurrentItem - 1;
  const int before_last = last - 1;
  if (before_last > 0 && (NCM[last].flags & kItemPinyin) == 0) {
    Item& item = NCM[before_last];
    if (eligible_for_headend(item)) {
      char following[8];
      following_text(NCM[last], following);
      item_text(item, syllable);
      if (getend_chr(syllable, character, following) == 1) fix_with(item, character, kOwnWord);
    }
    return;
  }
  Item& tail = NCM[last];
  if (eligible_for_headend(tail)) {
    item_text(tail, syllable);
    if (getend_chr(syllable, character, "") == 1) fix_with(tail, character, kOwnWord);
  }
}

void Scan1() {
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;
  for (int i = 0; i < count; ++i) {
    Item& item = NCM[i];
    if ((item.flags & kItemPinyin) == 0 || (item.flags & (kItemFixed | kItemAbbreviated)) != 0) {
      continue;
    }
    char key[kKeySize];
    if (TakeChkp(i, i, key) != 1) continue;
    char text[32] = {};
    int weight = 0;
    unsigned char flags = 0;
    if (Lookups.my_word == nullptr || Lookups.my_word(i, i, key, 1, text, &weight, &flags, 0) == 0) {
      continue;
    }
    if ((static_cast<unsigned char>(text[0]) & 0x80) == 0 || text[1] == '\0') continue;
    fix_with(item, text, kFixedChinese);
  }
}

int fixpyhz(char* output, signed char mode) {
  (void)output;  // the caller writes the sentence from the items
  (void)mode;    // only the sentence road exists; every mode resolves the items the same way
  const int count = CurrentItem < kMaxItems ? CurrentItem : kMaxItems;

  ScanBetweenDot();
  ScanGapTwice();
  process_headend();
  Scan1();
  ScanJp(2, 9);
  if (InputProperty.MarkUnresolved != 0) ScanJp(1, 1);

  bool any_pinyin = false;
  int first_filled = -1;
  for (int i = 0; i < count; ++i) {
    Item& item = NCM[i];
    if ((item.flags & (kItemPinyin | kItemAbbreviated)) != 0) any_pinyin = true;
    if ((item.flags & kItemFixed) == 0 && (item.flags & kItemPinyin) != 0) {
      item.character[0] = kFiller[0];
      item.character[1] = kFiller[1];
      item.flags |= kItemFixed | kItemChinese | kItemGiven;
      if (first_filled < 0) first_filled = i;
    }
  }
  if (!any_pinyin) return kConvertNothing;
  return first_filled >= 0 ? first_filled : kConvertOk;
}

}  // namespace sentence
