#include "tools/datasources/readers/rime_dict.h"

#include <charconv>
#include <optional>

#include "platform/files.h"
#include "tools/datasources/readers/toned_pinyin.h"

namespace datasources {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    std::size_t end = text.find(separator);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return parts;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

std::vector<RimeEntry> parse_rime_dict(std::string_view text) {
  std::vector<RimeEntry> entries;
  // Entries follow the YAML header, which ends with a line "...".
  bool in_body = text.find("\n...") == std::string_view::npos && !text.starts_with("...");
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!in_body) {
      in_body = line == "...";
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string_view> fields = split(line, '\t');
    if (fields.size() < 2 || fields[0].empty() || fields[1].empty()) continue;
    RimeEntry entry;
    entry.text = fields[0];
    for (std::string_view syllable : split(fields[1], ' ')) {
      if (!syllable.empty()) entry.syllables.push_back(normalize_syllable(syllable));
    }
    if (fields.size() >= 3) {
      std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), entry.weight);
    }
    if (!entry.syllables.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

bool load_rime_dict(const std::filesystem::path& path, std::vector<RimeEntry>* entries,
                    std::string* error) {
  std::error_code ec;
  std::optional<std::string> text = platform::files::read_file(path, ec);
  if (!text) {
    *error = "cannot read " + path.string() + ": " + ec.message();
    return false;
  }
  *entries = parse_rime_dict(*text);
  return true;
}

}  // namespace datasources
