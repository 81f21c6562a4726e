#include "library_query.h"

#include <cstring>
#include <optional>

#include "CoreSource/tables/pinyin_code.h"
#include "platform/text.h"
#include "sentenceparser/core/library_layout.h"
#include "sentenceparser/core/library_search.h"
#include "sentenceparser/core/word_library.h"
#include "sentenceparser/core/word_lookup.h"
#include "tools/kep-tavgen/library_key.h"

namespace kep_tav {

namespace {

using sentence::kWordTextSize;

// Base-26 number of `count` lower-case letters from `offset`; -1 for another byte.
long letter_number(const std::string& text, std::size_t offset, int count) {
  if (text.size() < offset + count) return -1;
  long number = 0;
  for (int i = 0; i < count; ++i) {
    const char c = text[offset + i];
    if (c < 'a' || c > 'z') return -1;
    number = number * 26 + (c - 'a');
  }
  return number;
}

std::string utf8_of(const char* gbk) {
  return platform::text::to_utf8(gbk, platform::text::Encoding::Gbk).value_or("?");
}

// The characters of `n` stored positions decoded under `key`; "?" when they do not decode.
std::string decode(const std::string& key, int n, const unsigned char* positions) {
  char text[kWordTextSize] = {};
  std::memcpy(text, positions, static_cast<std::size_t>(n));
  if (sentence::decodehz(key.c_str(), n, text) != 1) return "?";
  return utf8_of(text);
}

std::string gbk_text(const std::string& key, int n, const unsigned char* positions) {
  char text[kWordTextSize] = {};
  std::memcpy(text, positions, static_cast<std::size_t>(n));
  return sentence::decodehz(key.c_str(), n, text) == 1 ? std::string(text) : std::string();
}

int unescaped(int stored) {
  sentence::tranpos(&stored);
  return stored;
}

std::optional<std::string> key_of(const std::vector<std::string>& syllables, int n_max, std::string* error) {
  const int n = static_cast<int>(syllables.size());
  if (n < 2 || n > n_max) {
    *error = "the library holds words of 2 to " + std::to_string(n_max) + " syllables";
    return std::nullopt;
  }
  std::optional<std::string> key = tavgen::library_word_key(syllables);
  if (!key) *error = "a syllable has no final code";
  return key;
}

std::string fixed_text(int n) { return std::string(static_cast<std::size_t>(2 * n), 'A'); }

}  // namespace

bool query_main(const std::vector<std::string>& syllables, QueryResult* result, std::string* error) {
  std::optional<std::string> key = key_of(syllables, 7, error);
  if (!key) return false;
  const int n = static_cast<int>(syllables.size());
  const std::string compared = n == 2 ? key->substr(4, 2) : n >= 5 ? key->substr(4) : key->substr(n);
  const long number = n == 3 ? letter_number(*key, 0, 3) : letter_number(*key, 0, 4);
  sentence::Bucket bucket;
  if (sentence::open_bucket(sentence::main_library_name(n, ".inx").c_str(),
                            sentence::main_library_name(n, ".dat").c_str(), number, sentence::gethlen(n), &bucket)) {
    unsigned char record[sentence::kRecordMax] = {};
    for (int k = 0; k < bucket.count; ++k) {
      if (!sentence::read_record(bucket, k, record) ||
          std::memcmp(record, compared.data(), compared.size()) != 0) {
        continue;
      }
      const unsigned char* fields = record + compared.size();
      RecordView view;
      view.text = decode(*key, n, fields);
      view.weight_byte = fields[n];
      view.abbreviation_byte = fields[n + 1];
      view.flags = fields[n + 2];
      view.weight = unescaped(view.weight_byte);
      view.abbreviation_weight = unescaped(view.abbreviation_byte);
      std::string text = gbk_text(*key, n, fields);
      text.resize(kWordTextSize);
      int adjusted = view.weight;
      sentence::tonebkpl(text.data(), n, static_cast<unsigned char>(view.flags), &adjusted, 1);
      view.adjusted = adjusted;
      result->records.push_back(view);
    }
  }
  char text[kWordTextSize] = {};
  std::strncpy(text, fixed_text(n).c_str(), sizeof text - 1);
  int weight = 0;
  unsigned char flags = 0;
  if (sentence::IsMyWord(0, n - 1, key->c_str(), n, text, &weight, &flags, 0) == 1) {
    result->picked = utf8_of(text);
    result->picked_weight = weight;
  }
  return true;
}

bool query_whole(const std::vector<std::string>& syllables, QueryResult* result, std::string* error) {
  std::optional<std::string> key = key_of(syllables, 7, error);
  if (!key) return false;
  const int n = static_cast<int>(syllables.size());
  const std::string compared = key->substr(3);
  sentence::Bucket bucket;
  if (sentence::open_bucket(sentence::whole_library_name(n, ".inx").c_str(),
                            sentence::whole_library_name(n, ".dat").c_str(), letter_number(*key, 0, 3),
                            sentence::getwlen(n), &bucket)) {
    unsigned char record[sentence::kRecordMax] = {};
    for (int k = 0; k < bucket.count; ++k) {
      if (sentence::read_record(bucket, k, record) &&
          std::memcmp(record, compared.data(), compared.size()) == 0) {
        RecordView view;
        view.text = decode(*key, n, record + compared.size());
        result->records.push_back(view);
      }
    }
  }
  char text[kWordTextSize] = {};
  if (sentence::IsWholeWord(0, n - 1, key->c_str(), n, text) == 1) result->picked = utf8_of(text);
  return true;
}

bool query_abbreviation(const std::string& initials, QueryResult* result, std::string* error) {
  const int n = static_cast<int>(initials.size());
  if (n < 2 || n > 7 || letter_number(initials, 0, n > 4 ? 4 : n) < 0 ||
      (n > 4 && letter_number(initials, 4, n - 4) < 0)) {
    *error = "an abbreviation is 2 to 7 letters a..z";
    return false;
  }
  // Two initials have their own index over the two-syllable records.
  const std::string index = n == 2 ? sentence::kMainAbbreviationIndex : sentence::main_library_name(n, ".inx");
  const long number = letter_number(initials, 0, n == 2 ? 2 : n == 3 ? 3 : 4);
  const std::size_t leading = n > 4 ? static_cast<std::size_t>(n - 4) : 0;  // initials 5.. in the record
  sentence::Bucket bucket;
  if (sentence::open_bucket(index.c_str(), sentence::main_library_name(n, ".dat").c_str(), number,
                            sentence::gethlen(n), &bucket)) {
    unsigned char record[sentence::kRecordMax] = {};
    for (int k = 0; k < bucket.count; ++k) {
      if (!sentence::read_record(bucket, k, record) ||
          std::memcmp(record, initials.data() + 4 * (leading > 0), leading) != 0) {
        continue;
      }
      const unsigned char* codes = record + leading;
      // Decoding takes a two-syllable key's codes from its fifth and sixth bytes.
      std::string key = n == 2 ? initials + initials : initials;
      key.append(reinterpret_cast<const char*>(codes), static_cast<std::size_t>(n));
      const unsigned char* fields = codes + n;
      RecordView view;
      for (int i = 0; i < n; ++i) {
        char syllable[16] = {};
        ime_compose_py(initials[i], static_cast<char>(codes[i]), syllable);
        view.pinyin += (i == 0 ? "" : "_") + std::string(syllable);
      }
      view.text = decode(key, n, fields);
      view.weight_byte = fields[n];
      view.abbreviation_byte = fields[n + 1];
      view.flags = fields[n + 2];
      view.weight = unescaped(view.weight_byte);
      view.abbreviation_weight = unescaped(view.abbreviation_byte);
      int splits = 0, singles = 0;
      sentence::fendannum(static_cast<unsigned char>(view.flags), n, &splits, &singles);
      const std::string text = gbk_text(key, n, fields);
      view.adjusted = sentence::tonejppl(n, static_cast<unsigned char>(view.flags), splits, text.c_str(),
                                         view.abbreviation_weight);
      result->records.push_back(view);
    }
  }
  char text[kWordTextSize] = {};
  int weight = 0;
  if (sentence::IsJpWord(initials.c_str(), n, text, &weight) == 1) {
    result->picked = utf8_of(text);
    result->picked_weight = weight;
  }
  return true;
}

}  // namespace kep_tav
