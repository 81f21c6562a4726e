#include "tables/acc_filter.h"

#include <string>
#include <vector>

#include "tables/accode.h"
#include "platform/text.h"

namespace {

std::vector<std::string_view> characters_of(std::string_view utf8) {
  std::vector<std::string_view> characters;
  std::size_t at = 0;
  while (at < utf8.size()) {
    std::size_t length = platform::text::utf8_sequence_length(static_cast<unsigned char>(utf8[at]));
    if (length == 0 || length > utf8.size() - at) break;
    characters.push_back(utf8.substr(at, length));
    at += length;
  }
  return characters;
}

}  // namespace

bool ime_acc_word_passes(std::string_view utf8_word, const char* letters, int count) {
  if (kAccCodeDict == nullptr || letters == nullptr || count <= 0) return false;
  std::vector<std::string_view> characters = characters_of(utf8_word);
  if (characters.size() < static_cast<std::size_t>(count)) return false;
  bool any_codes = false;
  for (int i = 0; i < count; ++i) {
    auto found = kAccCodeDict->find(std::string(characters[i]));
    if (found == kAccCodeDict->end() || found->second.empty()) continue;
    any_codes = true;
    bool fits = false;
    for (const std::string& code : found->second) {
      if (!code.empty() && code[0] == letters[i]) fits = true;
    }
    if (!fits) return false;
  }
  return any_codes;
}
