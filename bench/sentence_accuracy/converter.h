// A sentence converter under test: the pieces of a sentence in, its first sentence out.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sentence_accuracy {

class Converter {
 public:
  virtual ~Converter() = default;
  virtual const char* name() const = 0;
  // The UTF-8 sentence for its pieces: a toneless syllable (v for ü) per hanzi, and every other
  // character (a digit, a mark) as it is; empty when the converter gave none.
  virtual std::string convert(const std::vector<std::string>& pieces) = 0;
};

// Whether a character is typed as it is rather than by its pinyin: an ASCII character (a digit)
// or a full-width mark (GBK's rows of symbols).
bool typed_as_is(const std::string& character);

// Whether a piece is a syllable (lower-case letters) rather than a character given as it is.
bool is_syllable(const std::string& piece);

// The keys a user types for the syllables, with an apostrophe between every two, so that each
// typing converter splits them exactly as the service is given them (xi'an, not xian).
std::string typed_keys(const std::vector<std::string>& syllables);

// The sentence as a user types it into a converter that sees syllables only: each run of
// syllables converted on its own by `convert_run`, the other characters typed as they are.
std::string converted_by_runs(const std::vector<std::string>& pieces,
                              const std::function<std::string(const std::vector<std::string>&)>& convert_run);

}  // namespace sentence_accuracy
