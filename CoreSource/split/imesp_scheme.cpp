// Reading double-pinyin scheme files into ime_schema.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/imelog.h"
#include "split/imesp.h"

ime_sp_schema_t ime_schema = {};

namespace {

enum class Section { kNone, kInitials, kFinals, kZeroInitial, kIgnored };

bool is_blank(char c) { return c == ' ' || c == '\t'; }

Section section_named(std::string_view name) {
  if (name == "sm" || name == "SM") return Section::kInitials;
  if (name == "ym" || name == "YM") return Section::kFinals;
  if (name == "zm" || name == "ZM") return Section::kZeroInitial;
  return Section::kIgnored;
}

// Puts the part into the key's first free slot; a key already holding three keeps them.
void add_part(ime_sp_parts_t* parts, std::string_view part) {
  for (int slot = 0; slot < IME_SP_PARTS_PER_KEY; ++slot) {
    if (parts->length[slot] != 0) continue;
    std::memcpy(parts->part[slot], part.data(), part.size());
    parts->part[slot][part.size()] = '\0';
    parts->length[slot] = static_cast<std::uint8_t>(part.size());
    return;
  }
}

// One line without its line feed; `section` carries over between lines.
void parse_line(std::string_view line, Section* section, const char* path) {
  std::size_t start = 0;
  while (start < line.size() && is_blank(line[start])) ++start;
  line.remove_prefix(start);
  if (line.empty() || line.front() == ';') return;

  if (line.front() == '[') {
    std::size_t close = line.find(']');
    if (close != std::string_view::npos) *section = section_named(line.substr(1, close - 1));
    return;
  }
  if (*section == Section::kNone || *section == Section::kIgnored) return;

  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0 || equals + 1 >= line.size()) return;
  std::string_view part = line.substr(0, equals);
  const unsigned char key = static_cast<unsigned char>(line[equals + 1]);
  if (key >= IME_SP_KEYS) {
    IME_ERROR("Scheme %s: the key of '%.*s' is not an ASCII character, line refused.", path,
              static_cast<int>(line.size()), line.data());
    return;
  }

  if (*section == Section::kZeroInitial) {
    if (part == "prefix") ime_schema.prefix = static_cast<char>(key);
    return;
  }
  if (part.size() > IME_SP_PART_LETTERS) {
    IME_ERROR("Scheme %s: part '%.*s' is longer than %d letters, line refused.", path,
              static_cast<int>(part.size()), part.data(), IME_SP_PART_LETTERS);
    return;
  }
  ime_sp_parts_t* table = *section == Section::kInitials ? ime_schema.initials : ime_schema.finals;
  add_part(&table[key], part);
}

}  // namespace

void ime_sp_clear_schema() { ime_schema = {}; }

int ime_load_sp_config(const char* path) {
  if (path == nullptr) return -1;
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    IME_ERROR("Open double pinyin scheme %s failed.", path);
    return -1;
  }
  ime_sp_clear_schema();

  Section section = Section::kNone;
  char buffer[IME_SP_LINE_BYTES + 2];  // the line, its line feed and the NUL
  bool overlong = false;
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    std::size_t length = std::strlen(buffer);
    const bool complete = length > 0 && buffer[length - 1] == '\n';
    // The rest of a line that did not fit is no line of its own: read on to its end.
    if (overlong) {
      overlong = !complete;
      continue;
    }
    if (!complete && !std::feof(file)) {
      IME_ERROR("Scheme %s: a line longer than %d bytes is refused.", path, IME_SP_LINE_BYTES);
      overlong = true;
      continue;
    }
    if (complete) --length;
    parse_line(std::string_view(buffer, length), &section, path);
  }
  std::fclose(file);
  return 0;
}
