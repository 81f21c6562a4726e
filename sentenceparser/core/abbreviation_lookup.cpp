// Words for abbreviated pinyin: a key of one initial per syllable is looked up in the main
// libraries, whose records of a bucket share those initials (two- and three-letter buckets) or
// begin with the remaining ones (four-letter buckets of five syllables and more).
#include <cstring>
#include <string>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/letter_lists.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"

namespace sentence {

namespace {

constexpr int kLongestWord = 7;  // the main libraries hold words of 2..7 syllables
constexpr int kFourLetterMax = 456975;
constexpr int kLetterListSize = 260;
// The kept word is certain enough once its share of the key's uses passes half, or once what
// the unread records could still hold falls below it.
constexpr int kSureShare = 49;
constexpr int kAllShares = 100;

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

// One record of an abbreviation bucket: its word, raw and adjusted weight.
JpRead ReadCiJp34(const char* key, int n, const unsigned char* record) {
  JpRead read = n == 2 ? ReadCiJp2(key, record) : ReadCiJp567(key, n, record);
  const int positions_end = codes_offset(n) + 2 * n;
  int raw = record[positions_end + 1];
  tranpos(&raw);
  const unsigned char flags = record[positions_end + 2];
  int parts = 0, singles = 0;
  fendannum(flags, n, &parts, &singles);
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

// Reads the whole bucket in order (two to four syllables: the bucket is the key).
void choose_in_order(const Bucket& bucket, const char* key, int n, JpChoice* choice) {
  unsigned char record[kRecordMax];
  for (int k = 0; k < bucket.count; ++k) {
    if (!read_record(bucket, k, record)) return;
    if (!choice->offer(ReadCiJp34(key, n, record))) return;
  }
}

// Finds a record that begins with the key's initials from the fifth on (BsrhHzJp), then weighs
// it and its neighbours with the same initials, backward and then forward.
void choose_around_match(const Bucket& bucket, const char* key, int n, JpChoice* choice) {
  const auto* initials = reinterpret_cast<const unsigned char*>(key + 4);
  const int length = n - 4;
  unsigned char record[kRecordMax];
  const int match = search_bucket(bucket, initials, length, record);
  if (match < 0) return;
  if (!choice->offer(ReadCiJp34(key, n, record))) return;
  for (int k = match - 1; k >= 0 && record_matches(bucket, k, initials, length, record); --k) {
    if (!choice->offer(ReadCiJp34(key, n, record))) return;
  }
  for (int k = match + 1; k < bucket.count && record_matches(bucket, k, initials, length, record);
       ++k) {
    if (!choice->offer(ReadCiJp34(key, n, record))) return;
  }
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
    const unsigned value = static_cast<unsigned>(GetPy4No(key));
    *number = value <= static_cast<unsigned>(kFourLetterMax) ? static_cast<int>(value) : -1;
    *index = main_library_name(n, ".inx");
  }
  return *number >= 0;
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

}  // namespace

int IsJpWord(const char* key, int n, char* text, int* weight) {
  if (key == nullptr || text == nullptr || weight == nullptr) return 0;
  if (n == 1) return single_letter(key, text, weight);
  if (n < 2 || n > MaxWordNum || n > kLongestWord) return 0;
  // Keys come in upper case; numbers and syllable decoding take lower case.
  char folded[kLongestWord + 1] = {};
  for (int i = 0; i < n; ++i) {
    if (!IsCharLower(key[i]) && !IsCharUpper(key[i])) return 0;
    folded[i] = IsCharUpper(key[i]) ? static_cast<char>(key[i] - 'A' + 'a') : key[i];
  }
  const int cached = in_jpcache(folded, n, text, weight);
  if (cached >= 0) return cached;

  JpChoice choice(text);
  int number = -1;
  std::string index;
  Bucket bucket;
  const std::string data = main_library_name(n, ".dat");
  if (abbreviation_entry(folded, n, &number, &index) &&
      open_bucket(index.c_str(), data.c_str(), number, gethlen(n), &bucket)) {
    if (n <= 4) {
      choose_in_order(bucket, folded, n, &choice);
    } else {
      choose_around_match(bucket, folded, n, &choice);
    }
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

}  // namespace sentence
