#include "writers/text_tables.h"

#include <algorithm>
#include <unordered_map>

#include "CoreSource/tables/accode.h"
#include "platform/text.h"
#include "tools/datasources/readers/utf8.h"

namespace mkdata {

namespace {

// The two GBK bytes of one character, "" when it has no such form. Each character is converted
// once: a word list of hundreds of thousands of words repeats the same few thousand.
const std::string& two_byte_gbk_character(const std::string& utf8) {
  thread_local std::unordered_map<std::string, std::string> converted;
  auto [at, added] = converted.try_emplace(utf8);
  if (added) {
    std::optional<std::string> gbk = platform::text::from_utf8(utf8, platform::text::Encoding::Gbk);
    if (gbk && gbk->size() == 2 && static_cast<unsigned char>((*gbk)[0]) >= 0x81) at->second = *gbk;
  }
  return at->second;
}

// The word's GBK bytes when each of its `characters` characters takes two of them.
std::optional<std::string> two_byte_gbk(const std::string& utf8, std::size_t characters) {
  std::optional<std::vector<std::string>> chars = datasources::characters_of(utf8);
  if (!chars || chars->size() != characters) return std::nullopt;
  std::string gbk;
  for (const std::string& c : *chars) {
    const std::string& bytes = two_byte_gbk_character(c);
    if (bytes.empty()) return std::nullopt;
    gbk += bytes;
  }
  return gbk;
}

}  // namespace

std::string write_accessory_codes(const AccessoryCodes& codes, std::size_t* lines) {
  std::string text = "; accessory codes: hanzi, then its Cangjie codes\n";
  *lines = 0;
  for (const auto& [hanzi, hanzi_codes] : codes) {
    if (hanzi.size() != 3) continue;
    std::string line = hanzi;
    for (const std::string& code : hanzi_codes) {
      if (code.empty() || code.size() > IME_ACC_CODE_MAX) continue;
      if (line.size() + 1 + code.size() > IME_ACC_LINE_MAX) break;
      line += " " + code;
    }
    if (line.size() == hanzi.size()) continue;
    text += line + "\n";
    ++*lines;
  }
  return text;
}

const std::vector<std::pair<char, std::string>>& default_punctuation() {
  static const std::vector<std::pair<char, std::string>> mappings = [] {
    std::vector<std::pair<char, std::string>> table = {
        {',', "，"},  {'.', "。"},  {'<', "《〈"}, {'>', "》〉"}, {'?', "？"},  {'/', "、"},
        {'\'', "‘’"}, {'"', "“”"},  {';', "；"},  {':', "："},  {'[', "【"},  {']', "】"},
        {'{', "『「"}, {'}', "』」"}, {'\\', "÷"}, {'|', "§"},  {'+', "＋"},  {'=', "＝"},
        {'-', "－"},  {'_', "——"}, {')', "）"},  {'(', "（"},  {'*', "×"},  {'&', "※"},
        {'^', "……"}, {'%', "％"},  {'$', "¥"},  {'#', "＃"},  {'@', "◎"},  {'!', "！"},
        {'~', "～"},  {'`', "·"},
    };
    std::sort(table.begin(), table.end());
    return table;
  }();
  return mappings;
}

std::string write_punctuation(const std::vector<std::pair<char, std::string>>& mappings) {
  std::string text;
  for (const auto& [key, value] : mappings) text += std::string(1, key) + " " + value + "\n";
  return text;
}

char tone_digit(std::uint8_t mask) {
  switch (mask & 15) {
    case 0: return '0';
    case 1: return '1';
    case 2: return '2';
    case 3: return '7';
    case 4: return '3';
    case 8: return '4';
    default: return "0123456789abcdef"[mask & 15];
  }
}

std::optional<std::string> write_word_list_line(const WordListEntry& entry) {
  std::size_t n = entry.syllables.size();
  if (n == 0 || entry.tones.size() != n) return std::nullopt;
  std::optional<std::string> word = two_byte_gbk(entry.word, n);
  if (!word) return std::nullopt;
  std::string second = std::string(2 * n, '*');
  if (!entry.second.empty()) {
    std::optional<std::string> converted = two_byte_gbk(entry.second, n);
    if (!converted) return std::nullopt;
    second = *converted;
  }
  std::string pinyin;
  for (const std::string& syllable : entry.syllables) pinyin += (pinyin.empty() ? "" : "'") + syllable;
  return pinyin + " " + *word + " " + second + " " + std::to_string(entry.frequency) + " " +
         entry.tones + "\n";
}

}  // namespace mkdata
