#include "sentenceparser/core/word_lookup.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sentenceparser/core/certainty.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/syllable_numbers.h"
#include "sentenceparser/core/word_cache.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_listing.h"

namespace sentence {

namespace {

constexpr unsigned char kLookupFlags = 0x80;
constexpr int kHeadEndShortWeightMax = 16;

int one_syllable(const char* key, char* text, int* weight, unsigned char* flags) {
  char character[kRepeatHzOutput] = {};
  const int found = GetDan(key, character);
  if (found <= 0) return 0;
  *flags = kLookupFlags;
  if (static_cast<unsigned char>(character[0]) < 0x80) {  // no GBK character for the syllable
    *weight = 0;
    return 0;
  }
  char folded[3] = {key[0], key[1], '\0'};  // the certainty folds its key; ours is the caller's
  GetDanPl(folded, weight);
  std::memcpy(text, character, 3);
  return found;
}

// Where a word key's compared part starts and how long it is, per library.
struct KeyPart {
  int offset;
  int length;
};

// Main library: the key after its bucket bytes (four, or three for N = 3).
KeyPart main_compared(int n) {
  if (n == 2) return {4, 2};
  if (n == 3) return {3, 3};
  return {4, 2 * n - 4};
}

// Whole-sentence and head-and-end libraries: the key after its first three bytes.
KeyPart three_byte_compared(int n) { return {3, n == 2 ? 3 : 2 * n - 3}; }

// A record's character positions decoded into `text` (kWordTextSize bytes).
bool decode_positions(const char* key, int n, const unsigned char* positions, char* text) {
  std::memcpy(text, positions, static_cast<std::size_t>(n));
  text[n] = '\0';
  return decodehz(key, n, text) == 1;
}

struct Candidate {
  char text[kWordTextSize] = {};
  int weight = -1;
  unsigned char flags = 0;
  int singles = 0;
};

// A main-library record equal to the key: its word and adjusted weight.
Candidate read_main_candidate(const char* key, int n, const unsigned char* record, int keep = 1) {
  const int positions = main_compared(n).length;
  Candidate candidate;
  if (!decode_positions(key, n, record + positions, candidate.text)) candidate.text[0] = '\0';
  int weight = record[positions + n];
  tranpos(&weight);
  candidate.flags = record[positions + n + 2];
  tonebkpl(candidate.text, n, candidate.flags, &weight, keep);
  candidate.weight = weight;
  int splits = 0;
  fendannum(candidate.flags, n, &splits, &candidate.singles);
  return candidate;
}

// The match and its homophones: the best word that agrees with the fixed text.
Candidate best_homophone(const Bucket& bucket, int match, const unsigned char* compared,
                         int length, const char* key, int n, const char* fixed,
                         const unsigned char* match_record) {
  Candidate best = read_main_candidate(key, n, match_record);
  if (best.text[0] == '\0' || accordhz(fixed, best.text) != 1) {
    best.text[0] = '\0';
    best.weight = -1;
  }
  bool whole_words_only = false;
  auto consider = [&](const unsigned char* record) {
    const Candidate candidate = read_main_candidate(key, n, record);
    if (candidate.text[0] == '\0' || candidate.weight <= best.weight) return;
    if (accordhz(fixed, candidate.text) != 1) return;
    if (whole_words_only && candidate.singles != 0) return;
    best = candidate;
    if (candidate.singles == 0) whole_words_only = true;
  };
  visit_neighbours(bucket, match, compared, length, [&](const unsigned char* record) {
    consider(record);
    return true;
  });
  return best;
}

// The main-library bucket of a key and the record the binary search landed on; false when
// there is none.
bool find_main(const char* key, int n, Bucket* bucket, int* match, unsigned char* record) {
  const int number = n == 3 ? GetPy3No(key) : four_letter_bucket(key);
  if (number < 0) return false;
  const std::string index = main_library_name(n, ".inx");
  const std::string data = main_library_name(n, ".dat");
  if (!open_bucket(index.c_str(), data.c_str(), number, gethlen(n), bucket)) return false;
  const KeyPart part = main_compared(n);
  *match = search_bucket(*bucket, reinterpret_cast<const unsigned char*>(key + part.offset),
                         part.length, record);
  return *match >= 0;
}

// Main-library search; 1 found, 0 a match that gave no word, -1 no match.
int search_main(const char* key, int n, char* text, int* weight, unsigned char* flags) {
  Bucket bucket;
  int match = -1;
  unsigned char record[kRecordMax];
  if (!find_main(key, n, &bucket, &match, record)) return -1;
  const KeyPart part = main_compared(n);
  const auto* compared = reinterpret_cast<const unsigned char*>(key + part.offset);
  const Candidate best =
      best_homophone(bucket, match, compared, part.length, key, n, text, record);
  if (best.text[0] == '\0' || best.weight <= 0) return 0;
  std::strcpy(text, best.text);
  *weight = best.weight;
  *flags = best.flags;
  return 1;
}

// The last item a word may end at to end the input: a given character or a digit at the end
// does not count.
int end_item() {
  if (CurrentItem <= 0 || CurrentItem > kMaxItems) return -1;
  const Item& last = NCM[CurrentItem - 1];
  const bool trailing = (last.flags & kItemGiven) != 0 || (last.flags2 & kItemDigit) != 0;
  return trailing ? CurrentItem - 2 : CurrentItem - 1;
}

// A learned word for the key: the word over `text`, its learned weight; false when none.
bool learned_word(const char* key, int n, char* text, int* weight, unsigned char* flags) {
  char word[kWordTextSize] = {};
  std::memcpy(word, text, ::strnlen(text, kWordTextSize - 1));
  int count = 0;
  if (in_youxian(key, n, word, &count, 0) <= 0) return false;
  std::strcpy(text, word);
  *weight = fix_user_wordpl(n, count, 1);
  *flags = kLookupFlags;
  return true;
}

}  // namespace

int IsMyWord(int /*first*/, int /*last*/, const char* key, int n, char* text, int* weight,
             unsigned char* flags, int learned) {
  if (key == nullptr || text == nullptr || weight == nullptr || flags == nullptr) return 0;
  if (n == 1) return one_syllable(key, text, weight, flags);
  if (n < 2 || n > 7) return 0;
  if (learned != 0 && learned_word(key, n, text, weight, flags)) return 1;
  if (n >= 3) {
    const int cached = in_incache(key, n, text, weight, flags);
    if (cached >= 0) return cached;
  }
  const int searched = search_main(key, n, text, weight, flags);
  if (searched == 1) {
    if (n >= 3) addinto_incache(key, n, text, *weight, *flags, 1);
    return 1;
  }
  if (searched == 0 || n == 2) return 0;
  if (is_numci(key, n, text, weight, flags) == 1) {
    addinto_incache(key, n, text, *weight, *flags, 1);
    return 1;
  }
  addinto_incache(key, n, "", 0, kLookupFlags, 0);
  return 0;
}

int IsWholeWord(int /*first*/, int /*last*/, const char* key, int n, char* text) {
  if (key == nullptr || text == nullptr || n < 2 || n > 7) return 0;
  char learned[kWordTextSize] = {};
  std::memcpy(learned, text, ::strnlen(text, kWordTextSize - 1));
  int count = 0;
  if (in_youxian(key, n, learned, &count, 0) > 0) {
    std::strcpy(text, learned);
    return 1;
  }
  const int number = GetPy3No(key);
  if (number < 0) return 0;
  Bucket bucket;
  const std::string index = whole_library_name(n, ".inx");
  const std::string data = whole_library_name(n, ".dat");
  if (!open_bucket(index.c_str(), data.c_str(), number, getwlen(n), &bucket)) return 0;
  const KeyPart part = three_byte_compared(n);
  unsigned char record[kRecordMax];
  const int match = search_bucket(bucket, reinterpret_cast<const unsigned char*>(key + part.offset),
                                  part.length, record);
  if (match < 0) return 0;
  char word[kWordTextSize];
  if (!decode_positions(key, n, record + part.length, word)) return 0;
  std::strcpy(text, word);
  return 1;
}

int IsHeadEndWord(int first, int last, const char* key, int n, char* text, int* weight,
                  unsigned char* flags) {
  if (key == nullptr || text == nullptr || weight == nullptr || flags == nullptr) return 0;
  if (n < 2 || n > 6) return 0;
  if (learned_word(key, n, text, weight, flags)) return 1;
  const int end = end_item();
  const bool at_end = last == end;
  if (first != 0 && !at_end) return 0;
  const int number = GetPy3No(key);
  if (number < 0) return 0;
  Bucket bucket;
  const std::string index = head_end_library_name(n, ".inx");
  const std::string data = head_end_library_name(n, ".dat");
  if (!open_bucket(index.c_str(), data.c_str(), number, getj10len(n), &bucket)) return 0;
  const KeyPart part = three_byte_compared(n);
  const auto* compared = reinterpret_cast<const unsigned char*>(key + part.offset);
  unsigned char record[kRecordMax];
  const int landed = search_bucket(bucket, compared, part.length, record);
  if (landed < 0) return 0;

  // Fields after the compared part: positions, 2 unread, weight, 1 unread, flags, marker.
  const int marker_at = part.length + n + 5;
  const unsigned char* taken = nullptr;
  if (first == 0 && record[marker_at] == 'h') {
    taken = record;
  } else if (first != 0 && record[marker_at] == 'e') {
    taken = record;
  } else {
    // A key's "h" record lies directly before its "e" record: look once at the neighbour.
    const int neighbour = first == 0 ? landed - 1 : landed + 1;
    if (record_matches(bucket, neighbour, compared, part.length, record)) {
      const bool head = first == 0 && record[marker_at] == 'h';
      const bool tail = at_end && record[marker_at] == 'e';
      if (head || tail) taken = record;
    }
  }
  if (taken == nullptr) return 0;

  char word[kWordTextSize];
  if (!decode_positions(key, n, taken + part.length, word)) return 0;
  int word_weight = taken[part.length + n + 2];
  tranpos(&word_weight);
  const unsigned char word_flags = taken[part.length + n + 4];
  tonebkpl(word, n, word_flags, &word_weight, 1);
  if (n == 2 && word_weight <= kHeadEndShortWeightMax) return 0;
  if (word[0] == '\0' || accordhz(text, word) != 1) return 0;
  std::strcpy(text, word);
  *weight = word_weight;
  *flags = word_flags;
  return 1;
}

int MyAllWord(int /*first*/, int /*last*/, const char* key, int n, const char* fixed, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  if (key == nullptr || fixed == nullptr || n < 2 || n > 7) return 0;
  Bucket bucket;
  int match = -1;
  unsigned char record[kRecordMax];
  if (!find_main(key, n, &bucket, &match, record)) return 0;
  const KeyPart part = main_compared(n);
  const auto* compared = reinterpret_cast<const unsigned char*>(key + part.offset);
  std::vector<ListedWord> words;
  auto collect = [&](const unsigned char* read) {
    const Candidate candidate = read_main_candidate(key, n, read, 0);
    if (candidate.text[0] == '\0' || accordhz(fixed, candidate.text) != 1) return;
    ListedWord word{};
    std::memcpy(word.text, candidate.text, sizeof word.text);
    word.weight = candidate.weight;
    words.push_back(word);
  };
  collect(record);
  visit_neighbours(bucket, match, compared, part.length, [&](const unsigned char* read) {
    collect(read);
    return words.size() < static_cast<std::size_t>(kListingEntriesMax);
  });
  return write_listing(std::move(words), out);
}

}  // namespace sentence
