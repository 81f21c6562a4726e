#include "tables/syllable_match.h"

#include <cstring>
#include <string_view>

#include "record/engine_globals.h"
#include "tables/pinyin_code.h"

namespace {

bool is_retroflex(std::string_view syllable) {
  return syllable.size() >= 2 && syllable[1] == 'h' &&
         (syllable[0] == 'z' || syllable[0] == 'c' || syllable[0] == 's');
}

std::string_view initial_of(std::string_view syllable) {
  return syllable.substr(0, is_retroflex(syllable) ? 2 : 1);
}

// The switch of the fuzzy pair that joins two different initials, or 0 when none does.
int initial_pair_switch(std::string_view a, std::string_view b) {
  auto pair = [&](std::string_view x, std::string_view y) {
    return (a == x && b == y) || (a == y && b == x);
  };
  if (pair("z", "zh")) return ime_fuzzy_z2zh;
  if (pair("c", "ch")) return ime_fuzzy_c2ch;
  if (pair("s", "sh")) return ime_fuzzy_s2sh;
  if (pair("l", "n")) return ime_fuzzy_l2n;
  if (pair("k", "g")) return ime_fuzzy_k2g;
  if (pair("f", "h")) return ime_fuzzy_f2h;
  return 0;
}

int final_pair_switch(std::string_view a, std::string_view b) {
  auto pair = [&](std::string_view x, std::string_view y) {
    return (a == x && b == y) || (a == y && b == x);
  };
  if (pair("an", "ang")) return ime_fuzzy_an2ang;
  if (pair("en", "eng")) return ime_fuzzy_en2eng;
  if (pair("in", "ing")) return ime_fuzzy_in2ing;
  if (pair("ian", "iang")) return ime_fuzzy_ian2iang;
  if (pair("uan", "uang")) return ime_fuzzy_uan2uang;
  return 0;
}

bool initials_agree(std::string_view typed, std::string_view stored) {
  return typed == stored || (ime_fuzzy_mode && initial_pair_switch(typed, stored));
}

}  // namespace

bool ime_syllable_is_initial(const char* syllable) {
  std::string_view text(syllable, strnlen(syllable, 8));
  if (text.size() == 2) return is_retroflex(text);
  return text.size() == 1 && text[0] >= 'a' && text[0] <= 'z' && text[0] != 'a' &&
         text[0] != 'e' && text[0] != 'o';
}

int ime_syllable_accepts(const char* typed_text, char initial, char final_code) {
  std::string_view typed(typed_text, strnlen(typed_text, 8));
  if (typed.empty()) return 0;
  char spelled[8] = {};
  ime_compose_py(initial, final_code, spelled);
  std::string_view stored(spelled);

  if (stored.empty()) return 0;
  if (ime_syllable_is_initial(typed_text)) {
    // "z" alone also stands for the zh syllables; "zh" alone only for them.
    std::string_view stored_initial = typed.size() == 1 ? stored.substr(0, 1) : initial_of(stored);
    return initials_agree(typed, stored_initial) ? 1 : 0;
  }
  if (typed == stored) return 1;
  if (!ime_fuzzy_mode) return 0;
  std::string_view typed_initial = initial_of(typed);
  std::string_view stored_initial = initial_of(stored);
  std::string_view typed_final = typed.substr(typed_initial.size());
  std::string_view stored_final = stored.substr(stored_initial.size());
  if (!initials_agree(typed_initial, stored_initial)) return 0;
  return typed_final == stored_final || final_pair_switch(typed_final, stored_final) ? 1 : 0;
}

SyllableVerdicts::SyllableVerdicts(const char* typed) {
  static_assert(sizeof typed_ > IME_SYLLABLE_BYTES, "room for the bounded syllable and its NUL");
  std::memcpy(typed_, typed, strnlen(typed, IME_SYLLABLE_BYTES));
}

bool SyllableVerdicts::accepts(char initial, char final_code) {
  const auto stored = static_cast<unsigned short>(static_cast<unsigned char>(initial) << 8 |
                                                  static_cast<unsigned char>(final_code));
  const int slot = (stored ^ (stored >> 7)) & (kSlots - 1);
  if (verdict_[slot] == kUnknown || stored_[slot] != stored) {
    stored_[slot] = stored;
    verdict_[slot] = ime_syllable_accepts(typed_, initial, final_code) ? kAccepted : kRejected;
  }
  return verdict_[slot] == kAccepted;
}
