// Words for abbreviated pinyin: a key of one initial per syllable is looked up in the main
// libraries, whose records of a bucket share those initials (two- and three-letter buckets) or
// begin with the remaining ones (four-letter buckets of five syllables and more).
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/letter_lists.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_listing.h"
#include "sentenceparser/core/word_lookup.h"

namespace sentence {

namespace {

constexpr int kLongestWord = 7;  // the main libraries hold words of 2..7 syllables
constexpr int kLearnedAbbreviationMax = 9;  // learned abbreviations run to nine initials
constexpr int kLetterListSize = 260;
// The kept word is certain enough once its share of the key's uses passes half, or once what
// the unread records could still hold falls below it.
constexpr int kSureShare = 49;
constexpr int kAllShares = 100;
constexpr unsigned char kOffered = 0x40;

struct JpRead {
  char word[kWordTextSize] = {};
  int raw = 0;       // unescaped abbreviation weight
  int adjusted = 0;  // tonejppl of it
};

// Where a record's final codes start: after the initials of syllables 5..N.
int codes_offset(int n) { return n >= 5 ? n - 4 : 0; }

// Decodes a two-syllable record: the decoding takes a two-syllable key's codes from its fifth
// and sixth bytes, so the initials stand twice before the codes.
JpRead ReadCiJp2(const char* key, const unsigned char* record) {
  JpRead read;
  const char decode_key[7] = {key[0], key[1], key[0], key[1], static_cast<char>(record[0]),
                              static_cast<char>(record[1]), '\0'};
  std::memcpy(read.word, record + 2, 2);
  read.word[2] = '\0';
  if (decodehz(decode_key, 2, read.word) != 1) read.word[0] = '\0';
  return read;
}

// Decodes a record of 3 or more syllables: the key's initials and the record's codes.
JpRead ReadCiJp567(const char* key, int n, const unsigned char* record) {
  JpRead read;
  char decode_key[2 * kLongestWord + 1] = {};
  std::memcpy(decode_key, key, static_cast<std::size_t>(n));
  std::memcpy(decode_key + n, record + codes_offset(n), static_cast<std::size_t>(n));
  std::memcpy(read.word, record + codes_offset(n) + n, static_cast<std::size_t>(n));
  read.word[n] = '\0';
  if (decodehz(decode_key, n, read.word) != 1) read.word[0] = '\0';
  return read;
}

// One record of an abbreviation bucket: its word, raw and adjusted weight. A listing offers
// only the records marked for abbreviations, and favours undivided words by one.
JpRead ReadCiJp34(const char* key, int n, const unsigned char* record, bool listing = false) {
  const int positions_end = codes_offset(n) + 2 * n;
  const unsigned char flags = record[positions_end + 2];
  if (listing && (flags & kOffered) == 0) return JpRead{};
  JpRead read = n == 2 ? ReadCiJp2(key, record) : ReadCiJp567(key, n, record);
  int raw = record[positions_end + 1];
  tranpos(&raw);
  int parts = 0, singles = 0;
  fendannum(flags, n, &parts, &singles);
  if (listing && parts == 0) ++raw;
  read.raw = raw;
  read.adjusted = tonejppl(n, flags, parts, read.word, raw);
  return read;
}

// The choice among a bucket's records, with its stop rule.
class JpChoice {
 public:
  explicit JpChoice(const char* pattern) : pattern_(pattern) {}

  // Weighs one record; false once no later record can change the choice.
  bool offer(const JpRead& read) {
    const bool accords = read.word[0] != '\0' && accordhz(pattern_, read.word) == 1;
    const int raw = accords ? read.raw : 0;
    shares_ += raw;
    if (accords && (!kept_ || read.adjusted >= best_.adjusted)) {
      best_ = read;
      kept_ = true;
    }
    if (!kept_) return true;
    return best_.raw <= kSureShare && kAllShares - shares_ >= best_.raw;
  }
  bool kept() const { return kept_; }
  const JpRead& best() const { return best_; }

 private:
  const char* pattern_;
  JpRead best_;
  bool kept_ = false;
  int shares_ = 0;
};

// Every record of the bucket (two to four syllables), or the match of the further initials and
// its neighbours (five and more), in that order; `visit` returns false to stop.
template <typename Visit>
void visit_records(const Bucket& bucket, const char* key, int n, Visit visit) {
  unsigned char record[kRecordMax];
  if (n <= 4) {
    for (int k = 0; k < bucket.count; ++k) {
      if (!read_record(bucket, k, record) || !visit(record)) return;
    }
    return;
  }
  const auto* initials = reinterpret_cast<const unsigned char*>(key + 4);
  const int length = n - 4;
  const int match = search_bucket(bucket, initials, length, record);
  if (match < 0 || !visit(static_cast<const unsigned char*>(record))) return;
  visit_neighbours(bucket, match, initials, length, visit);
}

// The key's index entry: its number and index file name; false when it has none.
bool abbreviation_entry(const char* key, int n, int* number, std::string* index) {
  if (n == 2) {
    *number = GetPy2No(key);
    *index = kMainAbbreviationIndex;
  } else if (n == 3) {
    *number = GetPy3No(key);
    *index = main_library_name(3, ".inx");
  } else {
    *number = four_letter_bucket(key);
    *index = main_library_name(n, ".inx");
  }
  return *number >= 0;
}

// Abbreviation keys come in upper case; the numbers and the syllable decoding take lower case.
// False for a length outside 2..MaxWordNum or a byte that is no letter.
bool fold_key(const char* key, int n, char* folded) {
  if (n < 2 || n > MaxWordNum || n > kLongestWord) return false;
  for (int i = 0; i < n; ++i) {
    if (!IsCharLower(key[i]) && !IsCharUpper(key[i])) return false;
    folded[i] = IsCharUpper(key[i]) ? static_cast<char>(key[i] - 'A' + 'a') : key[i];
  }
  folded[n] = '\0';
  return true;
}

bool open_abbreviation_bucket(const char* folded, int n, Bucket* bucket) {
  int number = -1;
  std::string index;
  const std::string data = main_library_name(n, ".dat");
  return abbreviation_entry(folded, n, &number, &index) &&
         open_bucket(index.c_str(), data.c_str(), number, gethlen(n), bucket);
}

// A one-letter abbreviation: the first character of the letter's list.
int single_letter(const char* key, char* text, int* weight) {
  char list[kLetterListSize] = {};
  GetJpDan(nullptr, key, list);
  if (list[0] == '\0' || list[1] == '\0') return 0;
  std::memcpy(text, list, 2);
  text[2] = '\0';
  *weight = 1;
  return 1;
}

// The learned word of an abbreviation (its initials, any case) and its learned weight.
bool learned_abbreviation(const char* key, int n, char* text, int* weight) {
  char initials[kLearnedAbbreviationMax + 1] = {};
  for (int i = 0; i < n; ++i) {
    if (!IsCharLower(key[i]) && !IsCharUpper(key[i])) return false;
    initials[i] = IsCharLower(key[i]) ? static_cast<char>(key[i] - 'a' + 'A') : key[i];
  }
  char word[kWordTextSize] = {};
  std::memcpy(word, text, ::strnlen(text, kWordTextSize - 1));
  int count = 0;
  if (in_youxian(initials, n, word, &count, 0) <= 0) return false;
  std::strcpy(text, word);
  *weight = fix_user_wordpl(n, count, 0);
  return true;
}

}  // namespace

int IsJpWord(const char* key, int n, char* text, int* weight) {
  if (key == nullptr || text == nullptr || weight == nullptr) return 0;
  if (n == 1) return single_letter(key, text, weight);
  if (n >= 2 && n <= kLearnedAbbreviationMax && learned_abbreviation(key, n, text, weight)) {
    return 1;
  }
  char folded[kLongestWord + 1] = {};
  if (!fold_key(key, n, folded)) return 0;
  const int cached = in_jpcache(folded, n, text, weight);
  if (cached >= 0) return cached;

  JpChoice choice(text);
  Bucket bucket;
  if (open_abbreviation_bucket(folded, n, &bucket)) {
    visit_records(bucket, folded, n, [&](const unsigned char* record) {
      return choice.offer(ReadCiJp34(folded, n, record));
    });
  }
  if (!choice.kept()) {
    addinto_jpcache(folded, n, "", 0, 0);
    return 0;
  }
  std::strcpy(text, choice.best().word);
  *weight = choice.best().adjusted;
  addinto_jpcache(folded, n, text, *weight, 1);
  return 1;
}

int MyAllJpWord(const char* key, int n, const char* fixed, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  char folded[kLongestWord + 1] = {};
  if (key == nullptr || fixed == nullptr || !fold_key(key, n, folded)) return 0;
  Bucket bucket;
  if (!open_abbreviation_bucket(folded, n, &bucket)) return 0;
  std::vector<ListedWord> words;
  visit_records(bucket, folded, n, [&](const unsigned char* record) {
    const JpRead read = ReadCiJp34(folded, n, record, true);
    if (read.word[0] != '\0' && accordhz(fixed, read.word) == 1) {
      ListedWord word{};
      std::memcpy(word.text, read.word, sizeof word.text);
      word.weight = read.adjusted;
      words.push_back(word);
    }
    return words.size() < static_cast<std::size_t>(kListingEntriesMax);
  });
  return write_listing(std::move(words), out);
}

}  // namespace sentence
