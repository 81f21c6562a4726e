// The learned-word table: inserting and updating entries, and the lookups by pinyin.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_store.h"
#include "sentenceparser/core/syllable_numbers.h"

namespace sentence {

LearnedEntry UBItem[kLearnedBuckets][kLearnedSlots];
std::int16_t AutoCiHead[kLearnedBuckets];
int UBLoadCount = 0;
int AllowWriteUB = 0;
int AllowWriteUD = 0;
int UserLibMan = 0;
char UserDan[kUserDanRows][256];
int HaveUserDan = 0;

namespace {

constexpr int kCountMax = 65000;
constexpr int kMaxSyllables = 20;
constexpr int kMaxSyllableLetters = 23;
constexpr int kScoreCeiling = 65530;
constexpr int kPinyinAskMax = 79;
constexpr int kListMax = 4;
constexpr std::size_t kListTextMax = 255;
constexpr std::size_t kUserWordMax = 50;
constexpr std::size_t kUserInputMax = 50;
constexpr int kUserLettersMax = 44;

bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
char lower(char c) { return is_upper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

// A full-width Latin letter (Ａ..Ｚ, ａ..ｚ) among the word's two-byte units.
bool has_full_width_letter(const char* word) {
  for (std::size_t i = 0; word[i] != '\0' && word[i + 1] != '\0'; i += 2) {
    const unsigned code = (static_cast<unsigned char>(word[i]) << 8) |
                          static_cast<unsigned char>(word[i + 1]);
    if ((code >= 0xA3C1 && code <= 0xA3DA) || (code >= 0xA3E1 && code <= 0xA3FA)) return true;
  }
  return false;
}

// A word that a stored line can hold and read back: no blanks, tabs or control bytes.
bool storable_word(const char* word) {
  if (word[0] == '\0') return false;
  for (const char* p = word; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) <= ' ' || *p == 0x7F) return false;
  }
  return true;
}

// Normalises the pinyin in place: initials only for an upper-case key, lower case, "-" joins,
// one-letter syllables a/e/o spelt ap/eq/or. False when the pinyin is refused.
bool normalise_pinyin(char* pinyin) {
  std::string text;
  const std::size_t length = ::strnlen(pinyin, 63);
  if (length == 0) return false;
  const bool initials = is_upper(pinyin[0]);
  for (std::size_t i = 0; i < length; ++i) {
    char c = pinyin[i];
    if (initials && !is_upper(c)) continue;
    c = lower(c);
    if (c == '+' || c == '_') c = '-';
    text += c;
  }
  std::vector<std::string> syllables;
  std::size_t start = 0;
  while (true) {
    const std::size_t dash = text.find('-', start);
    syllables.push_back(text.substr(start, dash == std::string::npos ? dash : dash - start));
    if (dash == std::string::npos) break;
    start = dash + 1;
  }
  if (syllables.size() > kMaxSyllables) return false;
  std::string joined;
  for (std::string& syllable : syllables) {
    if (syllable.empty() || syllable.size() > kMaxSyllableLetters) return false;
    for (char c : syllable) {
      if (!is_lower(c)) return false;
    }
    if (syllable.size() == 1) {
      if (syllable == "a") syllable = "ap";
      else if (syllable == "e") syllable = "eq";
      else if (syllable == "o") syllable = "or";
      else return false;
    }
    if (!joined.empty()) joined += '-';
    joined += syllable;
  }
  if (joined.size() > 63) return false;
  std::memcpy(pinyin, joined.c_str(), joined.size() + 1);
  return true;
}

int entry_score(const LearnedFields& fields) {
  const int length = static_cast<int>(std::strlen(fields.pinyin) + std::strlen(fields.word));
  int score = (250 / (length + 5)) * std::atoi(fields.count);
  if (std::strcmp(fields.type, "U") == 0) score *= 10;
  if (std::strchr(fields.pinyin, '-') == nullptr) score /= 2;
  return score;
}

bool store_line(LearnedEntry& entry, const std::string& line) {
  if (line.size() >= kLearnedLineRoom) return false;
  AllowWriteUB = 0;
  std::memset(entry.text, 0, sizeof entry.text);
  std::memcpy(entry.text, line.c_str(), line.size());
  entry.in_use = 1;
  AllowWriteUB = 1;
  return true;
}

int bucket_of(const char* pinyin) {
  if (!is_lower(lower(pinyin[0])) || !is_lower(lower(pinyin[1]))) return -1;
  const int number = GetPy2No(pinyin);
  return number >= 0 && number < kLearnedBuckets ? number : -1;
}

int used_slots(int bucket) {
  return std::clamp<int>(AutoCiHead[bucket], 0, kLearnedSlots);
}

int character_count(const char* word) { return static_cast<int>(std::strlen(word) / 2); }

// The entry's word fits the pattern: as many characters, each equal unless "AA".
bool fits_pattern(const char* word, const char* characters) {
  if (characters == nullptr) return true;
  const std::size_t given = ::strnlen(characters, 64) / 2;
  if (given == 0 || given != std::strlen(word) / 2) return true;
  for (std::size_t i = 0; i < given; ++i) {
    const char* want = characters + 2 * i;
    if (want[0] == 'A' && want[1] == 'A') continue;
    if (want[0] != word[2 * i] || want[1] != word[2 * i + 1]) return false;
  }
  return true;
}

}  // namespace

int split_learned_line(const char* line, LearnedFields* fields) {
  char* slots[4] = {fields->pinyin, fields->word, fields->count, fields->type};
  for (char* slot : slots) slot[0] = '\0';
  int count = 0;
  const char* p = line;
  while (count < 4) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0' || *p == '\r' || *p == '\n') break;
    std::size_t length = 0;
    while (p[length] != '\0' && p[length] != ' ' && p[length] != '\t' && p[length] != '\r' &&
           p[length] != '\n') {
      ++length;
    }
    const bool cut = length >= 40;
    const std::size_t kept = cut ? 40 : length;
    std::memcpy(slots[count], p, kept);
    slots[count][kept] = '\0';
    ++count;
    if (cut) break;
    p += length;
  }
  return count;
}

void clear_learned_table() {
  std::memset(UBItem, 0, sizeof UBItem);
  std::memset(AutoCiHead, 0, sizeof AutoCiHead);
}

int save_memci(char* pinyin, const char* word, char* count, const char* type, int check) {
  if (pinyin == nullptr || word == nullptr || count == nullptr || type == nullptr) return 0;
  if (AllowWriteUB == 0) return 0;
  if (check != 0 && has_full_width_letter(word)) return 0;
  if (!storable_word(word)) return 0;

  const long asked = std::strtol(count, nullptr, 10);
  const int clamped = asked > kCountMax ? kCountMax : (asked < 1 ? 1 : static_cast<int>(asked));
  std::snprintf(count, 8, "%d", clamped);
  const char* kept_type = std::strcmp(type, "U") == 0 ? "U" : "A";

  if (!normalise_pinyin(pinyin)) return 0;
  const int bucket = bucket_of(pinyin);
  if (bucket < 0) return 0;
  const std::string line = std::string(pinyin) + ' ' + word + ' ' + count + ' ' + kept_type;
  if (line.size() > kLearnedLineMax) return 0;

  LearnedEntry* slots = UBItem[bucket];
  const int used = used_slots(bucket);
  // An entry of the same word is updated in place, wherever it stands.
  for (int i = 0; i < used; ++i) {
    LearnedFields fields;
    if (slots[i].in_use == 0 || split_learned_line(slots[i].text, &fields) < 4) continue;
    if (std::strcmp(fields.pinyin, pinyin) != 0 || std::strcmp(fields.word, word) != 0) continue;
    const long sum = std::strtol(fields.count, nullptr, 10) + clamped;
    const std::string updated = std::string(pinyin) + ' ' + word + ' ' + std::to_string(sum) +
                                ' ' + fields.type;
    // Past the entry's room the old line stays as it is.
    return store_line(slots[i], updated) ? 1 : 0;
  }
  for (int i = 0; i < used; ++i) {
    if (slots[i].in_use == 0) return store_line(slots[i], line) ? 1 : 0;
  }
  if (used < kLearnedSlots) {
    if (!store_line(slots[used], line)) return 0;
    AutoCiHead[bucket] = static_cast<std::int16_t>(used + 1);
    return 1;
  }
  // Full: the lowest-scored learned entry makes room; a user's own words are never evicted.
  int lowest = kScoreCeiling;
  int victim = -1;
  int scores[kLearnedSlots];
  bool evictable[kLearnedSlots] = {};
  for (int i = 0; i < kLearnedSlots; ++i) {
    LearnedFields fields;
    if (slots[i].in_use == 0 || split_learned_line(slots[i].text, &fields) < 4) continue;
    scores[i] = entry_score(fields);
    evictable[i] = std::strcmp(fields.type, "U") != 0;
    if (evictable[i] && scores[i] < lowest) {
      lowest = scores[i];
      victim = i;
    }
  }
  if (victim < 0) return 0;
  AllowWriteUB = 0;
  for (int i = 0; i < kLearnedSlots; ++i) {
    if (evictable[i] && scores[i] <= lowest) {
      std::memset(slots[i].text, 0, sizeof slots[i].text);
      slots[i].in_use = 0;
    }
  }
  AllowWriteUB = 1;
  return store_line(slots[victim], line) ? 1 : 0;
}

int in_memci(const char* pinyin, const char* characters, char* output, int* best_count,
             int list_mode) {
  if (best_count != nullptr) *best_count = 0;
  if (pinyin == nullptr || output == nullptr || InputProperty.UseLearnedWords == 0) return 0;
  char asked[kPinyinAskMax + 1] = {};
  const std::size_t length = ::strnlen(pinyin, kPinyinAskMax);
  for (std::size_t i = 0; i < length; ++i) asked[i] = lower(pinyin[i]);
  if (length < 2) return 0;
  const int bucket = bucket_of(asked);
  if (bucket < 0) return 0;

  struct Match {
    std::string word;
    int count;
  };
  std::vector<Match> matches;
  const LearnedEntry* slots = UBItem[bucket];
  for (int i = 0; i < used_slots(bucket); ++i) {
    LearnedFields fields;
    if (slots[i].in_use == 0 || split_learned_line(slots[i].text, &fields) < 4) continue;
    if (std::strchr(fields.pinyin, '-') == nullptr &&
        static_cast<int>(std::strlen(fields.pinyin)) != character_count(fields.word)) {
      continue;
    }
    if (std::strcmp(fields.pinyin, asked) != 0) continue;
    if (!fits_pattern(fields.word, characters)) continue;
    matches.push_back({fields.word, std::atoi(fields.count)});
  }
  if (list_mode == 0) {
    const Match* best = nullptr;
    for (const Match& match : matches) {
      if (best == nullptr || match.count >= best->count) best = &match;
    }
    if (best == nullptr || best->count <= 0) return 0;
    std::memcpy(output, best->word.c_str(), best->word.size() + 1);
    if (best_count != nullptr) *best_count = best->count;
    return 1;
  }
  if (matches.size() > kListMax) matches.resize(kListMax);
  std::stable_sort(matches.begin(), matches.end(),
                   [](const Match& a, const Match& b) { return a.count > b.count; });
  std::string text;
  int written = 0;
  for (const Match& match : matches) {
    const std::size_t grown = text.size() + (text.empty() ? 0 : 1) + match.word.size();
    if (grown > kListTextMax) break;
    if (!text.empty()) text += ',';
    text += match.word;
    ++written;
    if (best_count != nullptr && written == 1) *best_count = match.count;
  }
  std::memcpy(output, text.c_str(), text.size() + 1);
  return written;
}

int IsUserDefineWord(const char* input, char* output) {
  if (input == nullptr || output == nullptr || InputProperty.UseLearnedWords == 0) return 0;
  if (::strnlen(input, kUserInputMax) >= kUserInputMax) return 0;
  char key[kUserInputMax] = {};
  std::size_t letters = 0;
  for (const char* p = input; *p != '\0'; ++p) {
    if (*p != '_') key[letters++] = lower(*p);
  }
  if (letters < 2 || letters > kUserLettersMax) return 0;
  const int bucket = bucket_of(key);
  if (bucket < 0) return 0;

  const LearnedEntry* slots = UBItem[bucket];
  int best_count = -1;
  std::string best;
  for (int i = 0; i < used_slots(bucket); ++i) {
    LearnedFields fields;
    if (slots[i].in_use == 0 || split_learned_line(slots[i].text, &fields) < 4) continue;
    if (std::strcmp(fields.type, "U") != 0 || std::strchr(fields.pinyin, '-') != nullptr) continue;
    if (std::strcmp(fields.pinyin, key) != 0) continue;
    bool all_chinese = true;
    for (std::size_t k = 0; fields.word[k] != '\0'; k += 2) {
      if (ChrIsChinese(fields.word + k, 0) == 0) all_chinese = false;
      if (fields.word[k + 1] == '\0') break;
    }
    const bool initials = all_chinese &&
                          static_cast<int>(std::strlen(fields.pinyin)) ==
                              character_count(fields.word) &&
                          std::strlen(fields.word) % 2 == 0;
    if (initials) continue;
    const int count = std::atoi(fields.count);
    if (count > best_count) {
      best_count = count;
      best = fields.word;
    }
  }
  if (best_count < 0) return 0;
  const std::size_t size = std::min(best.size(), kUserWordMax);
  std::memcpy(output, best.c_str(), size);
  output[size] = '\0';
  return 1;
}

}  // namespace sentence
