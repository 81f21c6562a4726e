#include "converter/table_file.h"

#include <sys/stat.h>

#include <charconv>

#include "converter/cclog.h"
#include "converter/gb18030_units.h"
#include "converter/table_scramble.h"
#include "platform/files.h"

namespace converter::table_file {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader =
    "# KEP simplified-to-traditional table, format 1.\n"
    "# Bytes from 0x30 up are stored substituted; do not edit by hand.\n";

// The lines of a table file, comments and empty lines dropped, too long lines refused.
std::optional<std::vector<std::string>> read_lines(const fs::path& path, bool scrambled) {
  std::error_code error;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
    cclog("File %s is too large (%lld bytes).", path.c_str(), static_cast<long long>(info.st_size));
    return std::nullopt;
  }
  auto contents = platform::files::read_file(path, error);
  if (!contents) return std::nullopt;

  std::vector<std::string> lines;
  std::string_view rest = *contents;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.size() > kMaxLineBytes) {
      cclog("Line of %zu bytes in %s is too long, skipped.", line.size(), path.c_str());
      continue;
    }
    lines.push_back(scrambled ? unscramble(line) : std::string(line));
  }
  return lines;
}

// Splits at single blanks; "a  b" has an empty field between the two blanks.
std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    std::size_t blank = line.find(' ');
    fields.push_back(line.substr(0, blank));
    if (blank == std::string_view::npos) return fields;
    line.remove_prefix(blank + 1);
  }
}

std::optional<unsigned> parse_context(std::string_view field) {
  unsigned value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
      value > kMaxContextBytes) {
    return std::nullopt;
  }
  return value;
}

std::string printable(std::string_view bytes, Gb18030Codec& codec) {
  return codec.decode(bytes).value_or(std::string(bytes));
}

bool write_file(const fs::path& path, const std::string& contents, std::error_code& error) {
  return platform::files::write_atomic(path, contents, error, 0644);
}

}  // namespace

bool load_char_table(const fs::path& path, CharTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, true);
  if (!lines) return false;
  bool version_taken = false;
  for (const std::string& line : *lines) {
    auto text = codec.decode(line);
    if (!text) {
      cclog("Create string object for [%s] failed! 4", line.c_str());
      continue;
    }
    if (!version_taken) {
      table.version = *text;
      version_taken = true;
      continue;
    }
    auto fields = split_fields(line);
    if (fields.size() != 2) continue;
    if (!table.add(fields[0], fields[1])) {
      cclog("Invalid line [%s]", text->c_str());
    }
  }
  cclog(">> Total %zu records loaded from hzdb.", table.size() + (table.version ? 1 : 0));
  return true;
}

bool load_fix_table(const fs::path& path, FixTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, true);
  if (!lines) return false;
  bool first = true;
  std::optional<std::string> section;
  for (const std::string& line : *lines) {
    if (first) {
      first = false;
      table.version = codec.decode(line);
      continue;
    }
    std::string_view body = std::string_view(line).substr(1);
    if (line.front() == '!') {
      section.reset();
      if (!codec.decode(body)) {
        cclog("Create string object for [%s] failed! 1", line.c_str());
      } else if (!table.add_section(body)) {
        cclog("Invalid line [%s]", printable(line, codec).c_str());
      } else {
        section = std::string(body);
      }
      continue;
    }
    if (line.front() != '>') continue;
    if (!codec.decode(body)) {
      cclog("Create string object for [%s] failed. 2", line.c_str());
      continue;
    }
    auto fields = split_fields(body);
    std::optional<unsigned> before, after;
    if (fields.size() == 4) {
      before = parse_context(fields[2]);
      after = parse_context(fields[3]);
    }
    if (!section || !before || !after ||
        table.add(*section, FixEntry{std::string(fields[0]), std::string(fields[1]), *before,
                                     *after}) == FixTable::AddResult::Invalid) {
      cclog("Invalid line [%s]", printable(line, codec).c_str());
    }
  }
  cclog(">> Total %zu items loaded.", table.section_count() + (table.version ? 1 : 0));
  return true;
}

bool load_user_fixes(const fs::path& path, UserFixTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, false);
  if (!lines) return false;
  for (const std::string& line : *lines) {
    auto text = codec.decode(line);
    if (!text) {
      cclog("Create string object for [%s] failed. 3", line.c_str());
      continue;
    }
    auto fields = split_fields(*text);
    if (fields.size() != 2 || !table.add(fields[0], fields[1])) {
      cclog("Invalid line [%s].", text->c_str());
    }
  }
  return true;
}

std::string format_char_table(const CharTable& table, std::size_t* skipped) {
  std::string out = kHeader;
  // The version line is required: the loader takes the first line as the version.
  out += scramble(table.version.value_or("unknown")) + "\n";
  std::size_t left_out = 0;
  for (const auto& [simplified, traditional] : table.sorted_entries()) {
    std::string line = simplified + " " + traditional;
    if (line.size() > kMaxLineBytes) {
      ++left_out;
      continue;
    }
    out += scramble(line) + "\n";
  }
  if (skipped) *skipped = left_out;
  return out;
}

std::string format_fix_table(const FixTable& table, std::size_t* skipped) {
  std::string out = kHeader;
  out += scramble(table.version.value_or("unknown")) + "\n";
  std::size_t left_out = 0;
  for (const FixSection* section : table.sorted_sections()) {
    out += "!" + scramble(section->character()) + "\n";
    for (const FixEntry& entry : section->entries()) {
      std::string line = ">" + entry.phrase + " " + entry.replacement + " " +
                         std::to_string(entry.before) + " " + std::to_string(entry.after);
      if (line.size() > kMaxLineBytes) {
        ++left_out;
        continue;
      }
      out += scramble(line) + "\n";
    }
  }
  if (skipped) *skipped = left_out;
  return out;
}

bool write_char_table(const fs::path& path, const CharTable& table, std::error_code& error) {
  return write_file(path, format_char_table(table), error);
}

bool write_fix_table(const fs::path& path, const FixTable& table, std::error_code& error) {
  return write_file(path, format_fix_table(table), error);
}

}  // namespace converter::table_file
