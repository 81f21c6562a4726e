#include "converter.h"

namespace sentence_accuracy {

std::string typed_keys(const std::vector<std::string>& syllables) {
  std::string keys;
  for (const std::string& syllable : syllables) {
    if (!keys.empty()) keys += '\'';
    keys += syllable;
  }
  return keys;
}

}  // namespace sentence_accuracy
