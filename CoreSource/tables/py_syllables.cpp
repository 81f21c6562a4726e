#include "tables/py_syllables.h"

#include <string>
#include <unordered_set>

#include "tables/pinyin_code.h"

namespace {

struct SyllableSets {
  std::unordered_set<std::string> whole;
  std::unordered_set<std::string> prefixes;

  SyllableSets() {
    for (int i = 0; ime_all_syllables[i] != nullptr; ++i) {
      std::string syllable = ime_all_syllables[i];
      whole.insert(syllable);
      for (std::size_t n = 1; n <= syllable.size(); ++n) prefixes.insert(syllable.substr(0, n));
    }
  }
};

const SyllableSets& sets() {
  static const SyllableSets instance;
  return instance;
}

}  // namespace

bool ime_py_is_syllable(std::string_view letters) {
  return letters.size() <= IME_PY_MAX_LETTERS && sets().whole.count(std::string(letters)) != 0;
}

bool ime_py_is_prefix(std::string_view letters) {
  return !letters.empty() && letters.size() <= IME_PY_MAX_LETTERS &&
         sets().prefixes.count(std::string(letters)) != 0;
}
