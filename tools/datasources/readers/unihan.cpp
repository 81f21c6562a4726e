#include "tools/datasources/readers/unihan.h"

#include <charconv>
#include <optional>

#include "platform/files.h"
#include "tools/datasources/readers/bzip2_file.h"
#include "tools/datasources/readers/utf8.h"

namespace datasources {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    std::size_t end = text.find(separator);
    if (end != 0) parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return parts;
}

void add_reading(std::string_view text, std::vector<Reading>* readings) {
  if (std::optional<Reading> reading = parse_toned_pinyin(text)) {
    for (const Reading& known : *readings) {
      if (known == *reading) return;
    }
    readings->push_back(*reading);
  }
}

// "0442.080:háng" or "10028.100:zhōng,zhòng": the readings after the colon.
void add_located_readings(std::string_view value, std::vector<Reading>* readings) {
  for (std::string_view entry : split(value, ' ')) {
    std::size_t colon = entry.find(':');
    if (colon == std::string_view::npos) continue;
    for (std::string_view reading : split(entry.substr(colon + 1), ',')) add_reading(reading, readings);
  }
}

// "xíng(2943) háng(218)".
void add_counted_readings(std::string_view value, std::vector<std::pair<Reading, int>>* readings) {
  for (std::string_view entry : split(value, ' ')) {
    std::size_t open = entry.find('(');
    if (open == std::string_view::npos || !entry.ends_with(")")) continue;
    std::optional<Reading> reading = parse_toned_pinyin(entry.substr(0, open));
    int count = 0;
    std::string_view digits = entry.substr(open + 1, entry.size() - open - 2);
    std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (reading) readings->emplace_back(*reading, count);
  }
}

void apply_field(std::string_view field, std::string_view value, UnihanChar* c) {
  if (field == "kMandarin") {
    for (std::string_view reading : split(value, ' ')) add_reading(reading, &c->mandarin);
  } else if (field == "kHanyuPinlu") {
    add_counted_readings(value, &c->pinlu);
  } else if (field == "kXHC1983" || field == "kTGHZ2013") {
    add_located_readings(value, &c->modern);
  } else if (field == "kHanyuPinyin") {
    add_located_readings(value, &c->historical);
  } else if (field == "kTraditionalVariant") {
    for (std::string_view point : split(value, ' ')) {
      if (std::optional<char32_t> p = parse_code_point(point)) c->traditional.push_back(*p);
    }
  } else if (field == "kGB0") {
    c->gb2312 = true;
  } else if (field == "kCangjie") {
    c->cangjie.clear();
    for (char letter : value) {
      if (letter >= 'A' && letter <= 'Z') c->cangjie.push_back(static_cast<char>(letter - 'A' + 'a'));
    }
  } else if (field == "kFrequency") {
    std::from_chars(value.data(), value.data() + value.size(), c->frequency);
  }
}

bool wanted_field(std::string_view field) {
  static constexpr std::string_view kFields[] = {
      "kMandarin", "kHanyuPinlu", "kXHC1983", "kTGHZ2013", "kHanyuPinyin",
      "kTraditionalVariant", "kGB0", "kCangjie", "kFrequency"};
  for (std::string_view wanted : kFields) {
    if (field == wanted) return true;
  }
  return false;
}

std::optional<std::string> read_table(const std::filesystem::path& folder, const std::string& name,
                                      std::string* error) {
  std::error_code ec;
  if (std::filesystem::exists(folder / name, ec)) {
    std::optional<std::string> text = platform::files::read_file(folder / name, ec);
    if (!text) *error = "cannot read " + (folder / name).string();
    return text;
  }
  return read_bzip2_file(folder / (name + ".bz2"), error);
}

}  // namespace

void parse_unihan_lines(std::string_view text, UnihanTable* table) {
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab1 = line.find('\t');
    std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) continue;
    std::string_view field = line.substr(tab1 + 1, tab2 - tab1 - 1);
    if (!wanted_field(field)) continue;
    std::optional<char32_t> point = parse_code_point(line.substr(0, tab1));
    if (!point) continue;
    apply_field(field, line.substr(tab2 + 1), &(*table)[*point]);
  }
}

bool load_unihan(const std::filesystem::path& folder, UnihanTable* table, std::string* error) {
  for (const char* name : {"Unihan_Readings.txt", "Unihan_Variants.txt", "Unihan_OtherMappings.txt",
                           "Unihan_DictionaryLikeData.txt"}) {
    std::optional<std::string> text = read_table(folder, name, error);
    if (!text) return false;
    parse_unihan_lines(*text, table);
  }
  return true;
}

}  // namespace datasources
