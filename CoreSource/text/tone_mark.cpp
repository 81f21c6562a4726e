// Pinyin with its tone mark: the mark sits on the vowel the spelling rules name.
#include <cstring>
#include <string>
#include <string_view>

#include "text/candidate_text.h"
#include "tables/py_syllables.h"

namespace {

// Toned forms of a, e, i, o, u and ü (spelled "v"), tones 1-4.
constexpr const char* kTonedVowels[6][4] = {
    {"ā", "á", "ǎ", "à"}, {"ē", "é", "ě", "è"}, {"ī", "í", "ǐ", "ì"},
    {"ō", "ó", "ǒ", "ò"}, {"ū", "ú", "ǔ", "ù"}, {"ǖ", "ǘ", "ǚ", "ǜ"},
};
constexpr std::string_view kVowels = "aeiouv";
constexpr const char* kPlainUmlaut = "ü";

std::string_view initial_of(std::string_view syllable) {
  if (syllable.size() >= 2 && syllable[1] == 'h' &&
      (syllable[0] == 'z' || syllable[0] == 'c' || syllable[0] == 's')) {
    return syllable.substr(0, 2);
  }
  if (syllable[0] == 'a' || syllable[0] == 'e' || syllable[0] == 'o') return {};
  return syllable.substr(0, 1);
}

// Index in `final_part` of the vowel that carries the mark; npos when there is none.
std::size_t marked_vowel(std::string_view final_part) {
  if (final_part == "iu") return 1;
  if (final_part == "iong") return 1;
  // Otherwise the first of the vowels earliest in the alphabet: a before e before i ... so
  // "ui" marks the i and "ao" the a, as the spelling rules want.
  std::size_t best = std::string_view::npos;
  for (std::size_t i = 0; i < final_part.size(); ++i) {
    std::size_t rank = kVowels.find(final_part[i]);
    if (rank == std::string_view::npos) continue;
    if (best == std::string_view::npos || final_part[i] < final_part[best]) best = i;
  }
  return best;
}

// "ue" after l and n is the ü of lüè; the table spells it "lve", typed text may say "lue".
bool is_umlaut(std::string_view initial, std::string_view final_part, std::size_t i) {
  if (final_part[i] == 'v') return true;
  return final_part[i] == 'u' && (initial == "l" || initial == "n") && final_part == "ue";
}

}  // namespace

char* ime_pinyin_str(const char* syllable, int tone, char* out) {
  if (syllable == nullptr || out == nullptr || tone < 0 || tone > 4) return nullptr;
  std::string_view text(syllable, strnlen(syllable, IME_PY_MAX_LETTERS + 1));
  if (text.empty() || text.size() > IME_PY_MAX_LETTERS) return nullptr;
  bool known = ime_py_is_syllable(text);
  if (!known && text != "lue" && text != "nue") return nullptr;
  if (tone == 0) {
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
  }
  // Of the one-letter syllables only the vowels take a mark; "m" and "n" have none.
  if (text.size() == 1 && text != "a" && text != "e" && text != "o") return nullptr;

  std::string_view initial = text.size() == 1 ? std::string_view{} : initial_of(text);
  std::string_view final_part = text.substr(initial.size());
  std::size_t mark = marked_vowel(final_part);
  if (mark == std::string_view::npos) return nullptr;

  std::string result(initial);
  for (std::size_t i = 0; i < final_part.size(); ++i) {
    bool umlaut = is_umlaut(initial, final_part, i);
    if (i == mark) {
      std::size_t vowel = umlaut ? 5 : kVowels.find(final_part[i]);
      result += kTonedVowels[vowel][tone - 1];
    } else if (umlaut) {
      result += kPlainUmlaut;
    } else {
      result += final_part[i];
    }
  }
  // Six letters, each at most two bytes marked, always fit the caller's 64 bytes.
  std::memcpy(out, result.data(), result.size());
  out[result.size()] = '\0';
  return out;
}
