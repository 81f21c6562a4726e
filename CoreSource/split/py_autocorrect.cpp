#include "split/py_autocorrect.h"

#include <cstring>

int ime_auto_mode = 0;
int ime_auto_gn2ng = 1;
int ime_auto_mg2ng = 1;
int ime_auto_iou2iu = 1;
int ime_auto_uei2ui = 1;
int ime_auto_uen2un = 1;
int ime_auto_ion2iong = 1;
int ime_auto_ve2ue = 1;

namespace {

bool is_vowel(char c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'v';
}

bool ends_in_ng_vowel(char c) { return c == 'a' || c == 'e' || c == 'i' || c == 'o'; }

}  // namespace

QAAutoCorrections ime_auto_corrections_from_settings() {
  QAAutoCorrections c;
  if (!ime_auto_mode) return c;
  c.gn2ng = ime_auto_gn2ng != 0;
  c.mg2ng = ime_auto_mg2ng != 0;
  c.iou2iu = ime_auto_iou2iu != 0;
  c.uei2ui = ime_auto_uei2ui != 0;
  c.uen2un = ime_auto_uen2un != 0;
  c.ion2iong = ime_auto_ion2iong != 0;
  c.ve2ue = ime_auto_ve2ue != 0;
  return c;
}

QAAutoCorrections ime_all_auto_corrections() {
  return QAAutoCorrections{true, true, true, true, true, true, true};
}

std::string ime_apply_auto_corrections(std::string_view in, const QAAutoCorrections& on) {
  std::string out(in);
  const std::size_t n = in.size();
  // The first letter always stays: every correction mends a final, never an initial.
  std::size_t p = 1;
  while (p < n) {
    const char a = in[p];
    const bool three = p + 2 < n;
    const std::string_view next3 = three ? in.substr(p, 3) : std::string_view();
    if (three && on.gn2ng && ends_in_ng_vowel(a) && in.substr(p + 1, 2) == "gn") {
      out.replace(p, 3, std::string{a, 'n', 'g'});
      p += 3;
    } else if (three && on.mg2ng && ends_in_ng_vowel(a) && in.substr(p + 1, 2) == "mg") {
      out.replace(p, 3, std::string{a, 'n', 'g'});
      p += 3;
    } else if (three && on.iou2iu && next3 == "iou") {
      out.replace(p, 3, std::string{'i', 'u', IME_PY_DROPPED_MARK});
      p += 3;
    } else if (three && on.uei2ui && next3 == "uei") {
      out.replace(p, 3, std::string{'u', 'i', IME_PY_DROPPED_MARK});
      p += 3;
    } else if (three && on.uen2un && next3 == "uen") {
      // Before a vowel the "n" starts the next syllable ("yuenan" is yue'nan, not a slip).
      if (p + 3 >= n || !is_vowel(in[p + 3])) out.replace(p, 3, std::string{'u', 'n', IME_PY_DROPPED_MARK});
      p += 3;
    } else if (three && on.ion2iong && next3 == "ion") {
      if (p + 3 >= n || in[p + 3] != 'g') {
        out.replace(p, 3, std::string{'i', 'o', IME_PY_NG_MARK});
        p += 3;
      } else {
        p += 1;
      }
    } else if (on.ve2ue && p + 1 < n && in.substr(p, 2) == "ve" && (p + 2 >= n || in[p + 2] != 'r') &&
               in[p - 1] != 'l' && in[p - 1] != 'n') {
      // "ve" is a slip for "ue" after j, q, x and y; after l and n it is the table's own
      // spelling of the u-umlaut ("lve", "nve") and stays. At the end of the input the slip is
      // just as clear as inside it.
      out[p] = 'u';
      p += 2;
    } else {
      p += 1;
    }
  }
  return out;
}

void PreprocessAutoMode(const char* in, std::size_t n, char* out) {
  if (out == nullptr) return;
  if (in == nullptr) n = 0;
  std::string corrected = ime_apply_auto_corrections(std::string_view(in != nullptr ? in : "", n),
                                                     ime_auto_corrections_from_settings());
  std::memcpy(out, corrected.data(), n);
  out[n] = '\0';
}
