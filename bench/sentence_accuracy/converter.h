// A sentence converter under test: the syllables of a sentence in, its first sentence out.
#pragma once

#include <string>
#include <vector>

namespace sentence_accuracy {

class Converter {
 public:
  virtual ~Converter() = default;
  virtual const char* name() const = 0;
  // The UTF-8 sentence for toneless syllables (v for ü); empty when the converter gave none.
  virtual std::string convert(const std::vector<std::string>& syllables) = 0;
};

// The keys a user types for the syllables, with an apostrophe between every two, so that each
// typing converter splits them exactly as the service is given them (xi'an, not xian).
std::string typed_keys(const std::vector<std::string>& syllables);

}  // namespace sentence_accuracy
