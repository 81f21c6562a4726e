#include "query/fuzzy_pinyin.h"

#include <cstring>
#include <string>
#include <string_view>

#include "record/engine_globals.h"

char ime_equal_py[IME_EQUAL_PY_SLOTS][IME_EQUAL_PY_BYTES] = {};

namespace {

constexpr std::size_t kMaxLetters = IME_EQUAL_PY_BYTES - 1;

class Variants {
 public:
  int count() const { return count_; }
  std::string_view at(int i) const { return ime_equal_py[i]; }

  void add(std::string_view syllable) {
    if (count_ >= IME_EQUAL_PY_SLOTS || syllable.empty() || syllable.size() > kMaxLetters) return;
    for (int i = 0; i < count_; ++i) {
      if (at(i) == syllable) return;
    }
    std::memset(ime_equal_py[count_], 0, IME_EQUAL_PY_BYTES);
    std::memcpy(ime_equal_py[count_], syllable.data(), syllable.size());
    ++count_;
  }

 private:
  int count_ = 0;
};

bool is_retroflex(std::string_view s) {
  return s.size() >= 2 && s[1] == 'h' && (s[0] == 'z' || s[0] == 'c' || s[0] == 's');
}

// The switch that lets a plain z, c or s stand for its retroflex partner.
int retroflex_switch(char initial) {
  switch (initial) {
    case 'z': return ime_fuzzy_z2zh;
    case 'c': return ime_fuzzy_c2ch;
    case 's': return ime_fuzzy_s2sh;
    default: return 0;
  }
}

void add_initial_pairs(std::string_view typed, Variants& variants) {
  struct Pair {
    char a, b;
    const int* on;
  };
  const Pair pairs[] = {{'k', 'g', &ime_fuzzy_k2g},
                        {'f', 'h', &ime_fuzzy_f2h},
                        {'l', 'n', &ime_fuzzy_l2n},
                        {'l', 'r', &ime_fuzzy_l2r}};
  for (const Pair& pair : pairs) {
    if (*pair.on == 0) continue;
    char other = typed[0] == pair.a ? pair.b : (typed[0] == pair.b ? pair.a : '\0');
    if (other == '\0') continue;
    std::string variant(typed);
    variant[0] = other;
    variants.add(variant);
  }
}

void add_final_pairs(Variants& variants) {
  struct Pair {
    std::string_view a, b;
    const int* on;
  };
  const Pair pairs[] = {{"an", "ang", &ime_fuzzy_an2ang},
                        {"in", "ing", &ime_fuzzy_in2ing},
                        {"en", "eng", &ime_fuzzy_en2eng},
                        {"ian", "iang", &ime_fuzzy_ian2iang},
                        {"uan", "uang", &ime_fuzzy_uan2uang}};
  // Only the variants made before this step are expanded, so "an" -> "ang" never turns back.
  const int made = variants.count();
  for (int i = 0; i < made; ++i) {
    std::string syllable(variants.at(i));
    std::size_t initial = is_retroflex(syllable) ? 2 : 1;
    std::string_view final_part = std::string_view(syllable).substr(initial);
    for (const Pair& pair : pairs) {
      if (*pair.on == 0) continue;
      std::string_view other = final_part == pair.a ? pair.b : (final_part == pair.b ? pair.a : "");
      if (!other.empty()) variants.add(syllable.substr(0, initial) + std::string(other));
    }
  }
}

}  // namespace

int ime_get_equal_py(const char* syllable, std::size_t length, int* count) {
  Variants variants;
  std::memset(ime_equal_py, 0, sizeof ime_equal_py);
  std::string_view typed =
      syllable == nullptr ? std::string_view() : std::string_view(syllable, strnlen(syllable, length));
  variants.add(typed);
  if (variants.count() == 1 && ime_fuzzy_mode != 0 && ime_valid != 0) {
    add_initial_pairs(typed, variants);
    bool stop = typed.size() == 1;
    if (!stop && is_retroflex(typed)) {
      if (retroflex_switch(typed[0]) != 0) {
        variants.add(std::string(1, typed[0]) + std::string(typed.substr(2)));
      }
      stop = typed.size() == 2;
    } else if (!stop && retroflex_switch(typed[0]) != 0) {
      variants.add(std::string(1, typed[0]) + "h" + std::string(typed.substr(1)));
    }
    if (!stop) add_final_pairs(variants);
  }
  if (count != nullptr) *count = variants.count();
  return 0;
}
