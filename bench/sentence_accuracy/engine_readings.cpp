#include "engine_readings.h"

#include <cstdint>
#include <string_view>

#include "CoreSource/query/readings.h"
#include "platform/text.h"
#include "converter.h"
#include "sentence_score.h"

namespace sentence_accuracy {

namespace {

constexpr std::size_t kMaxCharacters = 256;
// A syllable is at most six letters and its separator.
constexpr std::size_t kPinyinBytes = kMaxCharacters * 7 + 1;

}  // namespace

std::optional<std::vector<std::string>> engine_syllables(const std::string& sentence) {
  const std::optional<std::string> text =
      platform::text::from_utf8(sentence, platform::text::Encoding::Gb18030);
  if (!text || text->empty()) return std::nullopt;
  char pinyin[kPinyinBytes];
  std::uint8_t tones[kMaxCharacters];
  // No conversation: no typed syllables to follow, so each character's most used reading.
  const int count = ime_fill_py(nullptr, text->data(), text->size(), pinyin, sizeof pinyin, tones,
                                sizeof tones);
  if (count <= 0) return std::nullopt;
  std::vector<std::string> syllables;
  std::string_view rest(pinyin);
  for (std::size_t dash; (dash = rest.find('-')) != std::string_view::npos; rest.remove_prefix(dash + 1)) {
    syllables.emplace_back(rest.substr(0, dash));
  }
  syllables.emplace_back(rest);
  for (const std::string& syllable : syllables) {
    if (syllable.empty()) return std::nullopt;
  }
  if (syllables.size() != static_cast<std::size_t>(count)) return std::nullopt;
  return syllables;
}

std::optional<std::vector<std::string>> engine_pieces(const std::string& sentence) {
  std::vector<std::string> pieces;
  std::string run;
  const auto read_run = [&] {
    if (run.empty()) return true;
    std::optional<std::vector<std::string>> syllables = engine_syllables(run);
    if (!syllables) return false;
    pieces.insert(pieces.end(), syllables->begin(), syllables->end());
    run.clear();
    return true;
  };
  for (const std::string& character : utf8_characters(sentence)) {
    if (!typed_as_is(character)) {
      run += character;
      continue;
    }
    if (!read_run()) return std::nullopt;
    pieces.push_back(character);
  }
  if (!read_run()) return std::nullopt;
  return pieces;
}

}  // namespace sentence_accuracy
