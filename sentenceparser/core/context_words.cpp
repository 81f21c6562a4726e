// Words of one or two syllables between two fixed items, looked up by the classes of those
// items: mpp/bd1 and mpp/bd2 for full pinyin, mpp/bdj2 for two abbreviated syllables.
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/segmentation_driver.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"

namespace sentence {

namespace {

constexpr int kKeyBuffer = 16;
// Records: bd1 final code, position; bd2 right class, two codes, two positions; bdj2 the
// word's two GBK characters.
constexpr int kOneSyllableWidth = 2;
constexpr int kTwoSyllableWidth = 5;
constexpr int kAbbreviatedWidth = 4;

bool valid_gap(int first, int last, int n) {
  return first >= 0 && last < CurrentItem && last < kMaxItems && last - first + 1 == n;
}

bool folded_letter(char c, char* out) {
  if (IsCharUpper(c)) c = static_cast<char>(c - 'A' + 'a');
  if (!IsCharLower(c)) return false;
  *out = c;
  return true;
}

// Compares the lookup text from its fourth byte with record k of the bucket (BsrhBDNum).
int BsrhBDNum(const Bucket& bucket, const char* lookup, int length, unsigned char* record) {
  return search_bucket(bucket, reinterpret_cast<const unsigned char*>(lookup + 3), length,
                       record);
}

// The context word of a gap's key (IsMyDotWord): `n` syllables between the classes.
int IsMyDotWord(const char* key, int n, const char* classes, char* text) {
  char lookup[8] = {};
  const char* index = nullptr;
  const char* data = nullptr;
  int width = 0;
  if (n == 1) {
    const char one[] = {key[0], classes[0], classes[1], key[1], '\0'};
    std::memcpy(lookup, one, sizeof one);
    index = "mpp/bd1.inx";
    data = "mpp/bd1.dat";
    width = kOneSyllableWidth;
  } else {
    const char two[] = {key[0], key[1], classes[0], classes[1], key[4], key[5], '\0'};
    std::memcpy(lookup, two, sizeof two);
    index = "mpp/bd2.inx";
    data = "mpp/bd2.dat";
    width = kTwoSyllableWidth;
  }
  const int number = GetPy3No(lookup);
  if (number < 0) return 0;
  Bucket bucket;
  if (!open_bucket(index, data, number, width, &bucket)) return 0;
  const int compared = n == 1 ? 1 : 3;
  unsigned char record[kRecordMax];
  if (BsrhBDNum(bucket, lookup, compared, record) < 0) return 0;
  char word[kWordTextSize] = {};
  std::memcpy(word, record + compared, static_cast<std::size_t>(n));
  if (decodehz(key, n, word) != 1) return 0;
  std::strcpy(text, word);
  return 1;
}

bool gbk_pair(const unsigned char* bytes) {
  return bytes[0] >= 0x81 && bytes[0] <= 0xFE && bytes[1] >= 0x40 && bytes[1] <= 0xFE &&
         bytes[1] != 0x7F;
}

}  // namespace

int IsDotWord(int first, int last, int n, const char* classes, char* text) {
  if (classes == nullptr || text == nullptr || (n != 1 && n != 2)) return 0;
  if (!valid_gap(first, last, n)) return 0;
  for (int i = first; i <= last; ++i) {
    const Item& item = NCM[i];
    const bool syllable = (item.flags & kItemPinyin) != 0 || (item.flags2 & kItemDigit) != 0;
    if (!syllable || (item.flags & kItemAbbreviated) != 0) return 0;
  }
  char key[kKeyBuffer] = {};
  if (TakeChkp(first, last, key) != 1) return 0;
  return IsMyDotWord(key, n, classes, text);
}

int IsDotJPWord(int first, int last, const char* classes, char* text) {
  if (classes == nullptr || text == nullptr || !valid_gap(first, last, 2)) return 0;
  char lookup[5] = {};
  for (int i = 0; i < 2; ++i) {
    const Item& item = NCM[first + i];
    if ((item.flags & kItemAbbreviated) == 0) return 0;
    if (!folded_letter(item.letters[0], &lookup[i])) return 0;
    if (!folded_letter(classes[i], &lookup[2 + i])) return 0;
  }
  const int number = four_letter_bucket(lookup);
  if (number < 0) return 0;
  Bucket bucket;
  if (!open_bucket("mpp/bdj2.inx", "mpp/bdj2.dat", number, kAbbreviatedWidth, &bucket)) return 0;
  unsigned char record[kRecordMax];
  if (!read_record(bucket, 0, record)) return 0;
  if (!gbk_pair(record) || !gbk_pair(record + 2)) return 0;
  std::memcpy(text, record, kAbbreviatedWidth);
  text[kAbbreviatedWidth] = '\0';
  return 1;
}

}  // namespace sentence
