#include "converter.h"

#include <algorithm>
#include <optional>

#include "platform/text.h"

namespace sentence_accuracy {

bool typed_as_is(const std::string& character) {
  if (character.size() == 1) return true;
  const std::optional<std::string> gbk = platform::text::from_utf8(character, platform::text::Encoding::Gbk);
  if (!gbk || gbk->size() != 2) return false;
  const auto lead = static_cast<unsigned char>((*gbk)[0]);
  return lead >= 0xA1 && lead <= 0xA9;
}

bool is_syllable(const std::string& piece) {
  return !piece.empty() && std::all_of(piece.begin(), piece.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::string typed_keys(const std::vector<std::string>& syllables) {
  std::string keys;
  for (const std::string& syllable : syllables) {
    if (!keys.empty()) keys += '\'';
    keys += syllable;
  }
  return keys;
}

std::string converted_by_runs(const std::vector<std::string>& pieces,
                              const std::function<std::string(const std::vector<std::string>&)>& convert_run) {
  std::string sentence;
  std::vector<std::string> run;
  for (const std::string& piece : pieces) {
    if (is_syllable(piece)) {
      run.push_back(piece);
      continue;
    }
    if (!run.empty()) sentence += convert_run(run);
    run.clear();
    sentence += piece;
  }
  if (!run.empty()) sentence += convert_run(run);
  return sentence;
}

}  // namespace sentence_accuracy
