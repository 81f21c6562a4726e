#include "split/py_split_rules.h"

#include <algorithm>
#include <initializer_list>

#include "record/engine_globals.h"
#include "split/py_autocorrect.h"
#include "tables/py_syllables.h"

namespace {

bool is_letter(char c) { return c >= 'a' && c <= 'z'; }
bool is_iuv(char c) { return c == 'i' || c == 'u' || c == 'v'; }
bool is_initial(char c) { return QAIsSM(&c, 1); }
bool is_one_of(std::string_view s, std::initializer_list<std::string_view> set) {
  return std::find(set.begin(), set.end(), s) != set.end();
}
bool starts(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool fuzzy_prefix(std::string_view text, const QASplitOptions& options) {
  auto prefix_of = [&](std::string_view whole) { return text.size() <= whole.size() && starts(whole, text); };
  return (options.fuzzy_z2zh && prefix_of("zuang")) || (options.fuzzy_c2ch && prefix_of("cuang")) ||
         (options.fuzzy_s2sh && (prefix_of("suang") || prefix_of("sei") || prefix_of("suai")));
}

// The boundary table for a syllable `s` that cannot take the "a" that follows it: the known
// words where the "a" starts a syllable of its own instead of taking the last letter of `s`
// ("huang'an", not "hua'ngan"). `from_a` is the rest of the input from the "a" on; `previous`
// the syllable closed before `s`, empty when none.
bool table_cuts_before_a(std::string_view s, std::string_view from_a, std::string_view previous,
                         std::size_t input_letters) {
  const bool an = starts(from_a, "an");
  const bool ang = starts(from_a, "ang");
  const bool an_not_g = an && !ang;
  const bool ai = starts(from_a, "ai");
  const bool ao = starts(from_a, "ao");
  if (is_one_of(s, {"huang", "chang", "jiang", "zhuan"}) && an_not_g) return true;
  if (s == "zheng" && an && (previous == "xiu" || (previous == "ming" && starts(from_a, "and")))) return true;
  if (s == "liang" && an && !(ang && input_letters > 7) && !is_one_of(previous, {"shuang", "duo", "liang"})) {
    return true;
  }
  if (is_one_of(s, {"xiang", "zhang", "chang"}) && ai) return true;
  if (is_one_of(s, {"ping", "ying", "wang", "xian"}) && an_not_g) return true;
  if (s == "fang" && an_not_g && !is_one_of(previous, {"hen", "jiao"})) return true;
  if (s == "dang" && an_not_g && !is_one_of(previous, {"ni", "ta"})) return true;
  if (s == "jing" && ao && previous == "bei") return true;
  if (is_one_of(s, {"zhen", "rang", "xing", "lian", "guan"}) && ai) return true;
  if (s == "shen" && (ai || ao || an_not_g || (ang && !(from_a.size() > 3 && is_initial(from_a[3]))))) {
    return true;
  }
  if (is_one_of(s, {"pan", "ren", "ban", "nan", "wan"}) && an_not_g) return true;
  if (is_one_of(s, {"zhu", "can"}) && ao) return true;
  if (is_one_of(s, {"qin", "ren", "san", "xin"}) && ai) return true;
  if (s == "hen" && starts(from_a, "aini")) return true;
  if (s.size() == 3 && starts(from_a, "aoer")) return true;
  if (s == "an" && an) return true;
  return false;
}

// What to do with the letter at the scan position when the current syllable cannot take it.
enum class Step {
  kGiveLast,  // close the syllable without its last letter, which starts the next one
  kCut,       // close the syllable; the letter starts the next one
  kMove,      // close the syllable without its last letter; that letter and this one start the next
  kAppend,    // append `count` letters to the syllable
  kFail,
};

struct Decision {
  Step step;
  std::size_t count = 0;
};

class GreedySplit {
 public:
  GreedySplit(std::string_view normalized, std::string_view typed, const QASplitOptions& options,
              std::vector<QAContextToken>* tokens)
      : n_(normalized), l_(typed), options_(options), tokens_(tokens) {}

  bool run() {
    tokens_->clear();
    std::size_t i = 0;
    while (i < n_.size()) {
      const char c = n_[i];
      if (!open_) {
        if (!is_letter(c) || is_iuv(c)) return false;
        begin(i, i + 1);
        ++i;
        continue;
      }
      if (c == '\'') {
        if (!valid(current()) || !close(start_, end_, 1)) return false;
        ++i;
        continue;
      }
      if (valid(std::string(current()) + c)) {
        // "jineng" reads ji'neng: "jin" would leave "eng", which rarely starts a word.
        if (current() == "ji" && c == 'n' && starts(n_.substr(i + 1), "eng")) {
          if (!cut(i)) return false;
        } else {
          end_ = i + 1;
          if ((c == IME_PY_DROPPED_MARK || c == IME_PY_NG_MARK) && !close(start_, end_, 0)) return false;
        }
        ++i;
        continue;
      }
      const Decision d = decide(i);
      switch (d.step) {
        case Step::kGiveLast:
          if (!close(start_, end_ - 1, 0)) return false;
          begin(end_ - 1, end_);
          break;  // the letter at i is tried again against the new syllable
        case Step::kCut:
          if (!cut(i)) return false;
          ++i;
          break;
        case Step::kMove:
          if (!close(start_, end_ - 1, 0)) return false;
          begin(end_ - 1, i + 1);
          ++i;
          break;
        case Step::kAppend:
          end_ = i + d.count;
          i += d.count;
          break;
        case Step::kFail:
          return false;
      }
    }
    if (open_ && (!valid(current()) || !close(start_, end_, 0))) return false;
    return true;
  }

 private:
  std::string_view current() const { return n_.substr(start_, end_ - start_); }
  bool valid(std::string_view text) const { return ime_py_valid(text, options_); }
  char at(std::size_t i) const { return i < n_.size() ? n_[i] : '\0'; }

  void begin(std::size_t start, std::size_t end) {
    start_ = start;
    end_ = end;
    open_ = true;
  }

  bool close(std::size_t start, std::size_t end, std::uint8_t fixed) {
    open_ = false;
    if (tokens_->size() >= IME_SPLIT_MAX_SYLLABLES) return false;
    QAAddPYToken(n_.data() + start, l_.data() + start, end - start, QA_TOKEN_NO_TONE, fixed, tokens_, nullptr);
    previous_ = QANormalizeSyllable(tokens_->back().text);
    return true;
  }

  // Closes the syllable; the letter at i starts the next one, which it must be able to.
  bool cut(std::size_t i) {
    if (!close(start_, end_, 0)) return false;
    const char c = n_[i];
    if (!is_letter(c) || is_iuv(c)) return false;
    begin(i, i + 1);
    return true;
  }

  Decision decide(std::size_t i) const {
    const std::string_view s = current();
    const char c = n_[i];
    const char next = at(i + 1);
    const char last = s.back();
    const std::string_view without_last = s.substr(0, s.size() - 1);

    // i, u and v never start a syllable: they belong with the last letter of this one.
    if (is_iuv(c) && s.size() >= 2 && valid(without_last)) return {Step::kGiveLast};
    // "er" takes the "e" of a syllable before an initial or at the end: "nv'er", "g'er".
    if (c == 'r' && (s == "nve" || (last == 'e' && s.size() >= 2 && (next == '\0' || is_initial(next))))) {
      return {Step::kGiveLast};
    }
    if (c == 'a' && table_cuts_before_a(s, n_.substr(i), previous_, n_.size())) return {Step::kCut};
    if (c == 'e') {
      if (is_one_of(s, {"gan", "kua"}) && next == 'n') return {Step::kCut};
      if (s == "jin" && (next == '\0' || is_initial(next))) return {Step::kCut};
      if (is_one_of(s, {"jing", "kuan"}) && (next == '\0' || (next != 'n' && next != 'i'))) return {Step::kCut};
    }
    if (last == 'n' && starts(n_.substr(i), "ou")) return {Step::kCut};
    // A syllable that cannot take "n" cannot take "ng" either in a prefix-closed table; the
    // test keeps an invalid syllable from being made should the table ever differ.
    if (c == 'n' && next == 'g' && is_one_of(s.substr(s.size() - 1), {"a", "e", "i", "o"}) &&
        valid(std::string(s) + "ng")) {
      return {Step::kAppend, 2};
    }
    if (c == 'e' && next != '\0' && valid(std::string(s) + 'e' + next)) return {Step::kAppend, 2};
    if (!is_initial(c)) {
      // The last letter moves on only when what stays is a syllable of its own: "dong" keeps
      // its "g" ("dong'e"), since "don" would have no characters.
      if (s.size() >= 2 && (last == 'g' || last == 'n' || last == 'r') && ime_py_is_syllable(without_last)) {
        if (c == 'e' && next == 'r') {
          const char after = at(i + 2);
          return {after != '\0' && valid(std::string("r") + after) ? Step::kMove : Step::kCut};
        }
        if (valid(std::string{last, c})) return {Step::kMove};
      } else {
        const std::size_t room = IME_PY_MAX_LETTERS > s.size() ? IME_PY_MAX_LETTERS - s.size() : 0;
        for (std::size_t k = std::min(room, n_.size() - i); k >= 1; --k) {
          if (valid(std::string(s) + std::string(n_.substr(i, k)))) return {Step::kAppend, k};
        }
      }
    }
    if (is_iuv(c)) return {Step::kFail};
    return {Step::kCut};
  }

  std::string_view n_;
  std::string_view l_;
  const QASplitOptions& options_;
  std::vector<QAContextToken>* tokens_;
  bool open_ = false;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  std::string previous_;
};

}  // namespace

QASplitOptions ime_split_options_from_settings() {
  QASplitOptions options;
  if (!ime_fuzzy_mode) return options;
  options.fuzzy_z2zh = ime_fuzzy_z2zh != 0;
  options.fuzzy_c2ch = ime_fuzzy_c2ch != 0;
  options.fuzzy_s2sh = ime_fuzzy_s2sh != 0;
  return options;
}

std::string QANormalizeSyllable(std::string_view text) {
  std::string syllable(text);
  if (!syllable.empty() && syllable.back() == IME_PY_DROPPED_MARK) {
    syllable.pop_back();
  } else if (!syllable.empty() && syllable.back() == IME_PY_NG_MARK) {
    syllable.pop_back();
    syllable += "ng";
  }
  return syllable;
}

bool ime_py_valid(std::string_view text, const QASplitOptions& options) {
  const std::string syllable = QANormalizeSyllable(text);
  if (syllable.empty()) return false;
  if (syllable.size() == 1 && is_letter(syllable[0]) && !is_iuv(syllable[0])) return true;
  if (syllable.size() == 2 && syllable[1] == 'h' &&
      (syllable[0] == 'c' || syllable[0] == 's' || syllable[0] == 'z')) {
    return true;
  }
  if (fuzzy_prefix(syllable, options)) return true;
  return ime_py_is_prefix(syllable);
}

bool QAIsValidPY(const char* text, std::size_t n) {
  if (text == nullptr) return false;
  return ime_py_valid(std::string_view(text, n), ime_split_options_from_settings());
}

bool QAIsSM(const char* text, std::size_t n) {
  if (text == nullptr) return false;
  if (n == 1) {
    const char c = text[0];
    return is_letter(c) && c != 'a' && c != 'e' && c != 'i' && c != 'o' && c != 'u' && c != 'v';
  }
  if (n == 2) {
    return text[1] == 'h' && (text[0] == 'z' || text[0] == 'c' || text[0] == 's');
  }
  return false;
}

bool ime_py_greedy_split(std::string_view normalized, std::string_view typed,
                         const QASplitOptions& options, std::vector<QAContextToken>* tokens) {
  if (tokens == nullptr) return false;
  tokens->clear();
  if (normalized.size() != typed.size() || normalized.size() > IME_SPLIT_MAX_LETTERS) return false;
  GreedySplit split(normalized, typed, options, tokens);
  if (split.run()) return true;
  tokens->clear();
  return false;
}
