#include "sentenceparser/core/pinyin_corrections.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/line_scramble.h"
#include "sentenceparser/core/syllable_forms.h"

namespace sentence {

namespace {

constexpr int kRecordBuffer = kCorrectionRecordMax + 1;
constexpr int kSameLengthMin = 2;
constexpr int kSameLengthMax = 4;
constexpr int kResegmentMin = 2;
constexpr int kResegmentMax = 7;

// Re-segmentation records per syllable count 2..7: width, and the compared part that follows
// the indexed letters; the rest of the record is the '0'-padded replacement.
struct ResegmentLayout {
  int width;
  int compared;
};
constexpr ResegmentLayout kResegmentLayouts[] = {{10, 2}, {13, 3}, {19, 5},
                                                 {21, 7}, {23, 9}, {25, 11}};

constexpr int kTwoLetterRecord = 2;
constexpr int kMemberRecord = 15;
constexpr int kDisplayRecord = 34;
constexpr int kPreSplitRecord = 41;
constexpr int kPreSplitMin = 4;
constexpr int kPreSplitMax = 44;
constexpr int kWordHead = 3;

// Two-letter words common enough in English text to take from the pinyin stream.
constexpr const char* kTwoLetterWords[] = {
    "aa", "ac", "ad", "am", "as", "at", "bb", "bc", "bp", "cc", "cd", "cf", "cm", "cn",
    "co", "cp", "cr", "ct", "do", "dr", "et", "gb", "hd", "hi", "hp", "hr", "ic", "id",
    "ie", "if", "in", "ip", "is", "it", "kg", "km", "kw", "lb", "lm", "md", "me", "mg",
    "ml", "mm", "mr", "ms", "nc", "no", "nt", "oa", "ok", "on", "pc", "pd", "pe", "ph",
    "pp", "ps", "pt", "qt", "rd", "re", "sr", "st", "vb", "vc", "vs"};

// Words the files cannot hold in their display form.
struct FixedWord {
  const char* word;
  const char* display;
};
constexpr FixedWord kFixedWords[] = {
    {"p2p", "P2P"}, {"b2c", "B2C"}, {"b2b", "B2B"}, {"net", "net"}};

int sign_of(int order) { return order < 0 ? -1 : order > 0 ? 1 : 0; }

void copy_text(char* out, std::size_t room, const char* text) {
  std::snprintf(out, room, "%s", text);
}

// The text a stored record holds: through the line substitution, ending at its first '0'.
void decode_record(char* record) {
  decodeline(record);
  if (char* pad = std::strchr(record, '0')) *pad = '\0';
}

// strcmp of "a|" with "b|": a string sorts after every string it is a proper prefix of.
int bar_order(const char* a, const char* b) {
  for (std::size_t i = 0;; ++i) {
    const unsigned char x = a[i] != '\0' ? static_cast<unsigned char>(a[i]) : '|';
    const unsigned char y = b[i] != '\0' ? static_cast<unsigned char>(b[i]) : '|';
    if (x != y) return x < y ? -1 : 1;
    if (a[i] == '\0' || b[i] == '\0') {
      if (a[i] == b[i]) return 0;
      return a[i] == '\0' ? -1 : 1;  // the other goes on past the shared '|'
    }
  }
}

// The first two '|'-separated fields of a decoded record (the record is shorter than either).
void split_fields(char* record, const char** field0, const char** field1) {
  *field0 = record;
  *field1 = "";
  if (char* bar = std::strchr(record, '|')) {
    *bar = '\0';
    *field1 = bar + 1;
    if (char* next = std::strchr(bar + 1, '|')) *next = '\0';
  }
}

// Record k against `text` after its first three letters by field 0; field 1 into `value`.
int probe_fields(const CorrectionGroup& group, int k, const char* text, char* value,
                 std::size_t room) {
  if (text == nullptr || strnlen(text, kWordHead) < kWordHead) return kProbeUnreadable;
  char record[kRecordBuffer];
  if (!ReadCorrectionRecord(group, k, record)) return kProbeUnreadable;
  decode_record(record);
  const char* field0 = nullptr;
  const char* field1 = nullptr;
  split_fields(record, &field0, &field1);
  const int order = bar_order(text + kWordHead, field0);
  if (order == 0) copy_text(value, room, field1);
  return order;
}

// Opens the group, bisects it with `probe` and closes it: whether a record answered equal.
template <typename Probe>
bool find_in_group(const char* index_name, const char* records_name, CorrectionFolder folder,
                   std::int64_t number, int width, Probe probe) {
  CorrectionGroup group;
  if (!OpenCorrectionGroup(index_name, records_name, folder, number, width, &group)) {
    return false;
  }
  const int found = SearchCorrectionGroup(group, [&](int k) { return probe(group, k); });
  CloseCorrectionGroup(&group);
  return found >= 0;
}

// A key of n syllables: exactly 2n characters.
bool is_key_of(const char* key, int n) {
  const auto length = static_cast<std::size_t>(2 * n);
  return strnlen(key, length + 1) == length;
}

void upper_copy(const char* word, char* out) {
  std::size_t i = 0;
  for (; word[i] != '\0' && i + 1 < kEnglishOutSize; ++i) {
    const char c = word[i];
    out[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  out[i] = '\0';
}

bool is_two_letter_word(const char* word) {
  for (const char* listed : kTwoLetterWords) {
    if (std::strcmp(word, listed) == 0) return true;
  }
  return false;
}

int two_letter_word(const char* word, char* out) {
  if (InputProperty.MarkUnresolved != 0 && !is_two_letter_word(word)) return 0;
  CorrectionGroup group;
  if (!OpenCorrectionGroup("py/e2.inx", "py/e2.dat", CorrectionFolder::kDataPath,
                           LeadingLettersNumber(word, 2), kTwoLetterRecord, &group)) {
    return 0;
  }
  // Every record of a two-letter group is the same word: the first probe answers.
  char record[kRecordBuffer];
  const bool read = ReadCorrectionRecord(group, (group.count - 1) / 2, record);
  CloseCorrectionGroup(&group);
  if (!read || strnlen(record, kTwoLetterRecord) != kTwoLetterRecord) return 0;
  copy_text(out, kEnglishOutSize, record);
  return 1;
}

}  // namespace

int BsrhPyRc(const CorrectionGroup& group, int k, const char* key, int n, char* value) {
  if (key == nullptr || n < kSameLengthMin || n > kSameLengthMax) return kProbeUnreadable;
  char record[kRecordBuffer];
  if (group.width != 3 * n || !ReadCorrectionRecord(group, k, record)) return kProbeUnreadable;
  char codes[kSameLengthMax + 1] = {};
  std::memcpy(codes, record, static_cast<std::size_t>(n));
  const int order = sign_of(std::strcmp(key + n, codes));
  if (order == 0) copy_text(value, static_cast<std::size_t>(2 * n + 1), record + n);
  return order;
}

int BsrhPyBad(const CorrectionGroup& group, int k, const char* key, int n, char* value) {
  if (key == nullptr || n < kResegmentMin || n > kResegmentMax) return kProbeUnreadable;
  const ResegmentLayout& layout = kResegmentLayouts[n - kResegmentMin];
  char record[kRecordBuffer];
  if (group.width != layout.width || !ReadCorrectionRecord(group, k, record)) {
    return kProbeUnreadable;
  }
  const int head = n == 2 ? 2 : 3;
  char compared[kRecordBuffer] = {};
  std::memcpy(compared, record, static_cast<std::size_t>(layout.compared));
  const int order = sign_of(std::strcmp(key + head, compared));
  if (order == 0) {
    // The replacement runs to its first '0'; a stray NUL before it leaves no replacement.
    const char* replacement = record + layout.compared;
    const int room = layout.width - layout.compared;
    int length = 0;
    while (length < room && replacement[length] != '0' && replacement[length] != '\0') ++length;
    if (length < room && replacement[length] == '\0') length = 0;
    std::memcpy(value, replacement, static_cast<std::size_t>(length));
    value[length] = '\0';
  }
  return order;
}

int BsrhPyEN(const CorrectionGroup& group, int k, const char* word) {
  if (word == nullptr || strnlen(word, kWordHead) < kWordHead) return kProbeUnreadable;
  char record[kRecordBuffer];
  if (!ReadCorrectionRecord(group, k, record)) return kProbeUnreadable;
  decode_record(record);
  return sign_of(std::strcmp(word + kWordHead, record));
}

int BsrhPyEE(const CorrectionGroup& group, int k, const char* word, char* value) {
  return probe_fields(group, k, word, value, kEnglishOutSize);
}

int BsrhCannot(const CorrectionGroup& group, int k, const char* text, char* value) {
  return probe_fields(group, k, text, value, kPreSplitTextSize);
}

int InPyRc(char* key, int n) {
  if (key == nullptr || n < kSameLengthMin || n > kSameLengthMax || !is_key_of(key, n)) return 0;
  char index_name[32];
  char records_name[32];
  std::snprintf(index_name, sizeof index_name, "py/mrc%d.inx", n);
  std::snprintf(records_name, sizeof records_name, "py/mrc%d.dat", n);
  char corrected[2 * kSameLengthMax + 1] = {};
  const bool found = find_in_group(
      index_name, records_name, CorrectionFolder::kDataPath, LeadingLettersNumber(key, n), 3 * n,
      [&](const CorrectionGroup& group, int k) { return BsrhPyRc(group, k, key, n, corrected); });
  // A corrected key holds as many syllables as the key it replaces.
  if (!found || std::strlen(corrected) != static_cast<std::size_t>(2 * n)) return 0;
  std::memcpy(key, corrected, static_cast<std::size_t>(2 * n + 1));
  return 1;
}

int InPyBad(char* key, int* n) {
  if (key == nullptr || n == nullptr || *n < kResegmentMin || *n > kResegmentMax) return 0;
  const int count = *n;
  if (!is_key_of(key, count)) return 0;
  char index_name[32];
  char records_name[32];
  std::snprintf(index_name, sizeof index_name, "cbe%d.inx", count);
  std::snprintf(records_name, sizeof records_name, "cbe%d.dat", count);
  char replacement[kCorrectionKeySize] = {};
  const bool found = find_in_group(
      index_name, records_name, CorrectionFolder::kResource,
      LeadingLettersNumber(key, count == 2 ? 2 : 3), kResegmentLayouts[count - kResegmentMin].width,
      [&](const CorrectionGroup& group, int k) {
        return BsrhPyBad(group, k, key, count, replacement);
      });
  // A replacement is whole syllables: first letters and codes in pairs.
  const std::size_t length = std::strlen(replacement);
  if (!found || length == 0 || length % 2 != 0) return 0;
  std::memcpy(key, replacement, length + 1);
  *n = static_cast<int>(length / 2);
  return 1;
}

int InPyEN(const char* word, char* out) {
  if (word == nullptr || out == nullptr) return 0;
  const std::size_t length = strnlen(word, kEnglishWordMax + 1);
  if (length < 2 || length > kEnglishWordMax) return 0;
  if (length == 2) return two_letter_word(word, out);
  for (const FixedWord& fixed : kFixedWords) {
    if (std::strcmp(word, fixed.word) == 0) {
      copy_text(out, kEnglishOutSize, fixed.display);
      return 1;
    }
  }
  if (!find_in_group(
          "py/em.inx", "py/em.dat", CorrectionFolder::kDataPath,
          LeadingLettersNumber(word, kWordHead), kMemberRecord,
          [&](const CorrectionGroup& group, int k) { return BsrhPyEN(group, k, word); })) {
    return 0;
  }
  GetENtrue(word, out);
  return 1;
}

int GetENtrue(const char* word, char* out) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  if (word == nullptr) return 0;
  char display[kEnglishOutSize] = {};
  const bool found =
      strnlen(word, kWordHead) == kWordHead &&
      find_in_group("py/ee.inx", "py/ee.dat", CorrectionFolder::kDataPath,
                    LeadingLettersNumber(word, kWordHead), kDisplayRecord,
                    [&](const CorrectionGroup& group, int k) {
                      return BsrhPyEE(group, k, word, display);
                    });
  // An empty display form would drop the word from the text.
  if (found && display[0] != '\0') {
    copy_text(out, kEnglishOutSize, display);
    return 1;
  }
  upper_copy(word, out);
  return 0;
}

int InPyQy(char* text) {
  if (text == nullptr) return 0;
  const std::size_t length = strnlen(text, kPreSplitMax + 1);
  if (length < kPreSplitMin || length > kPreSplitMax) return 0;
  char replacement[kPreSplitTextSize] = {};
  const bool found = find_in_group(
      "pyqy.inx", "pyqy.out", CorrectionFolder::kResource, LeadingLettersNumber(text, kWordHead),
      kPreSplitRecord,
      [&](const CorrectionGroup& group, int k) { return BsrhCannot(group, k, text, replacement); });
  const std::size_t replaced = std::strlen(replacement);
  if (!found || replaced <= length) return 0;
  std::memcpy(text, replacement, replaced + 1);
  return 1;
}

}  // namespace sentence
