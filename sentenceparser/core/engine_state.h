// The sentence engine's module state: the settings record, the conversion item table and its
// two search copies, the learning item table and the counters every pass shares. One request
// runs at a time on the service's main thread, so none of it is locked.
#pragma once

#include <cstdint>

namespace sentence {

// The settings record, filled once by the service's start-up and never changed afterwards.
struct InputPropertyRecord {
  char* DataPath = nullptr;           // the word-library folder, ending in "/"
  unsigned char StripUserMarks = 1;   // clean '*' marks after a correction; accent additions
  std::int32_t EnglishUpperOnly = 0;  // English-word correction takes upper case only
  unsigned char MarkUnresolved = 1;   // one-item initial-letter pass, placeholder filler
  unsigned char ReportAsHandled = 0;  // every conversion reports 10001
  unsigned char SpellSwitch = 1;      // read only by the pinyin-string parser
  unsigned char reserved_byte = 0;
  unsigned char UseLearnedWords = 1;    // learned-word library and user-defined words
  unsigned char ContextListSwitch = 0;  // user character order in the character lists
  std::int32_t reserved_int = 2;
};
extern InputPropertyRecord InputProperty;
// The 512-byte text DataPath points at.
extern char myFullPath[512];

// One conversion item; 16 bytes, the layout the passes and the learning table share.
struct Item {
  char letters[7];               // syllable letters (at most 6), or the item's own character
  unsigned char character[2];    // chosen character: GBK lead+trail, or 0 and a single byte
  unsigned char flags;           // ItemFlag
  unsigned char flags2;          // ItemFlag2
  std::int32_t weight;           // largest weight of a word written over the item
};
static_assert(sizeof(Item) == 16, "items are 16-byte records");

enum ItemFlag : unsigned char {
  kItemFixed = 0x01,        // a character is chosen
  kItemPinyin = 0x02,       // holds lower-case syllable letters
  kItemAbbreviated = 0x04,  // the syllable began with an upper-case letter
  kItemChinese = 0x08,      // the character is a Chinese character
  kItemGiven = 0x10,        // the character came in the input
  kItemWordStart = 0x20,
  kItemWordEnd = 0x40,
  kItemUserChanged = 0x80,  // a '*' marked the syllable
};

enum ItemFlag2 : unsigned char {
  kItemDigit = 0x01,
  kItemNameMark = 0x06,        // two-bit name mark (learning only)
  kItemAgreedBoundary = 0x08,  // both search directions put a word boundary here
  kItemScanWordFirst = 0x10,
  kItemScanWordLast = 0x20,
};

inline constexpr int kMaxItems = 260;       // NCM, NCM1, NCM2
inline constexpr int kMaxLearnItems = 256;  // gNitem

extern Item NCM[kMaxItems];
extern Item NCM1[kMaxItems];
extern Item NCM2[kMaxItems];
extern int CurrentItem;
extern Item gNitem[kMaxLearnItems];

// The longest word, in syllables, that the word search looks for; set before each conversion.
extern int MaxWordNum;

inline constexpr int kPyRcSize = 5200;  // 260 records of 20 bytes
extern unsigned char PyRc[kPyRcSize];
extern char EnterChr[3];  // line end of the learned-word files: CR LF

inline constexpr int kRequestPartSize = 1024;
extern char part1[kRequestPartSize];
extern char part2[kRequestPartSize];

// The engine's data start-up: the per-user "apr" folder with its two files, the cleared tables,
// the single-character table and the word caches. 0, or -1 when "apr" could not be made (the
// reason is logged; the learned words then start empty).
int InitData();
// Releases what InitData loaded.
void FreeData();

}  // namespace sentence
