#include "sentenceparser/core/fill_pinyin.h"

#include <cstring>
#include <string>
#include <vector>

#include "CoreSource/tables/pinyin_code.h"
#include "sentenceparser/core/hanzi_pinyin.h"

namespace sentence {

FillItem FPitem[kFillItemsMax];

namespace {

bool is_gbk_lead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Characters of a text: a GBK pair and a single byte each count as one.
int character_count(const char* text) {
  int count = 0;
  for (std::size_t i = 0; text[i] != '\0'; ++count) {
    i += is_gbk_lead(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0' ? 2 : 1;
  }
  return count;
}

// Longest prefix of `bytes` of at most `limit` bytes that does not end inside a GBK pair.
std::size_t whole_characters(const char* bytes, std::size_t length, std::size_t limit) {
  std::size_t i = 0;
  while (i < length) {
    const std::size_t unit = is_gbk_lead(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + unit > limit || i + unit > length) break;
    i += unit;
  }
  return i;
}

// Splits `text` at '_' into the work table; returns the item count.
int split_items(const char* text) {
  int count = 0;
  const char* item = text;
  while (count < kFillItemsMax) {
    const char* end = std::strchr(item, '_');
    const std::size_t length = end == nullptr ? std::strlen(item) : static_cast<std::size_t>(end - item);
    const std::size_t kept = whole_characters(item, length, kFillTextBytes - 1);
    std::memcpy(FPitem[count].text, item, kept);
    FPitem[count].text[kept] = '\0';
    ++count;
    // An item too long for its field ends the split: the rest of the input is ignored.
    if (end == nullptr || kept < length) break;
    item = end + 1;
  }
  return count;
}

std::vector<std::string> split_syllables(const char* reading) {
  std::vector<std::string> syllables;
  std::string current;
  for (const char* c = reading;; ++c) {
    if (*c == '-' || *c == '\0') {
      syllables.push_back(current);
      current.clear();
      if (*c == '\0') break;
    } else {
      current += *c;
    }
  }
  return syllables;
}

// Hands the syllables of a window's reading to the window's items that still lack theirs. A
// reading whose syllables are not one per character of the window is not used at all.
void share_reading(int first, int last, const char* reading) {
  const std::vector<std::string> syllables = split_syllables(reading);
  int characters = 0;
  for (int k = first; k <= last; ++k) characters += character_count(FPitem[k].text);
  if (static_cast<int>(syllables.size()) != characters) return;
  int skipped = 0;
  for (int k = first; k <= last; ++k) {
    FillItem& item = FPitem[k];
    const int own = character_count(item.text);
    if ((item.flags & kFillKnown) == 0) {
      std::string joined;
      for (int s = skipped; s < skipped + own; ++s) joined += syllables[static_cast<std::size_t>(s)];
      if (joined.size() < sizeof item.pinyin) {
        std::memcpy(item.pinyin, joined.c_str(), joined.size() + 1);
        item.flags |= kFillKnown;
      }
    }
    skipped += own;
  }
}

// The window of items first..last asks the libraries when it holds a polyphone character and
// an item still without its reading.
void read_window(int first, int last) {
  bool polyphone = false;
  bool unknown = false;
  std::string joined;
  for (int k = first; k <= last; ++k) {
    polyphone = polyphone || GetVoiceNum(FPitem[k].text) == 2;
    unknown = unknown || (FPitem[k].flags & kFillKnown) == 0;
    joined += FPitem[k].text;
  }
  // Longer windows hold more than the longest word: no library can know them.
  if (!polyphone || !unknown || joined.size() > 2 * kMaxWordNum) return;
  char reading[kWordReadingBytes] = {};
  if (GetPyFromBase(joined.c_str(), reading, last - first) == 1) share_reading(first, last, reading);
}

// An item's pinyin as written out: its reading, or its own text.
std::string written_pinyin(const FillItem& item) {
  const char* pinyin = (item.flags & kFillKnown) != 0 ? item.pinyin : item.text;
  char plain[16] = {};
  if (std::strlen(pinyin) < sizeof plain - 8) {
    ime_dan_to_shuang(pinyin, plain, 0);
    return plain;
  }
  return pinyin;
}

}  // namespace

void FillPy(const char* text, char* out, std::size_t out_size) {
  if (out == nullptr || out_size == 0) return;
  out[0] = '\0';
  std::memset(FPitem, 0, sizeof FPitem);
  if (text == nullptr) return;
  const int count = split_items(text);

  for (int k = 0; k < count; ++k) {
    FillItem& item = FPitem[k];
    if (GetVoiceNum(item.text) != 2 && GetPyFromBase(item.text, item.pinyin, 0) == 1) {
      item.flags |= kFillKnown;
    } else {
      item.pinyin[0] = '\0';
    }
  }
  for (int width = kMaxWordNum - 1; width >= 0; --width) {
    for (int first = 0; first + width < count; ++first) read_window(first, first + width);
  }

  std::string joined;
  for (int k = 0; k < count; ++k) {
    const std::string pinyin = written_pinyin(FPitem[k]);
    const std::size_t added = pinyin.size() + (k > 0 ? 1 : 0);
    if (joined.size() + added >= out_size) break;
    if (k > 0) joined += '-';
    joined += pinyin;
  }
  std::memcpy(out, joined.c_str(), joined.size() + 1);
}

}  // namespace sentence
