// The syllable test shared by user phrases and dictionary words: does a typed syllable accept
// a stored one (its initial letter and final code), with fuzzy pinyin as configured?
#pragma once

// A typed initial alone ("zh", or one letter other than a, e, o) accepts every syllable with
// that initial; otherwise the stored syllable is spelled out and compared, fuzzy pairs of
// initials (z/zh, c/ch, s/sh, l/n, k/g, f/h) and finals (an/ang, en/eng, in/ing, ian/iang,
// uan/uang) counting as equal while ime_fuzzy_mode and the pair's switch are on.
// 1 when accepted, else 0.
int ime_syllable_accepts(const char* typed, char initial, char final_code);

// True for "zh", "ch", "sh" and a single letter other than a, e, o: an initial typed alone.
bool ime_syllable_is_initial(const char* syllable);

// ime_syllable_accepts for one typed syllable tested against many stored ones, as a dictionary
// scan does: each verdict is remembered, since a run of records repeats a few syllables many
// times. Valid while the fuzzy switches stay as they were when it was made.
class SyllableVerdicts {
 public:
  // `typed` is read up to its NUL or IME_SYLLABLE_BYTES bytes, whichever comes first.
  explicit SyllableVerdicts(const char* typed);
  bool accepts(char initial, char final_code);

 private:
  static constexpr int kSlots = 64;
  enum : unsigned char { kUnknown, kRejected, kAccepted };
  char typed_[8] = {};
  unsigned short stored_[kSlots] = {};
  unsigned char verdict_[kSlots] = {};
};
