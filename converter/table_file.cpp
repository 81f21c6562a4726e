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

constexpr std::string_view kRecordsLine = "# Records: ";

// A table file's lines without comments and empty lines, too long lines refused, and what its
// comment header says of the lines after the version line.
struct TableLines {
  std::vector<std::string> lines;
  std::optional<std::size_t> declared_records;
  bool count_unreadable = false;
  bool ends_with_line_end = false;
};

// Only "# Records: N" before the first table line counts; later comments are free text.
void take_header_comment(std::string_view line, TableLines& table) {
  if (!table.lines.empty() || !line.starts_with(kRecordsLine)) return;
  std::string_view digits = line.substr(kRecordsLine.size());
  std::size_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    table.count_unreadable = true;
  } else {
    table.declared_records = value;
  }
}

std::optional<TableLines> read_lines(const fs::path& path, bool scrambled) {
  std::error_code error;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
    cclog("File %s is too large (%lld bytes).", path.c_str(), static_cast<long long>(info.st_size));
    return std::nullopt;
  }
  auto contents = platform::files::read_file(path, error);
  if (!contents) return std::nullopt;

  TableLines table;
  table.ends_with_line_end = !contents->empty() && contents->back() == '\n';
  std::string_view rest = *contents;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.front() == '#') {
      take_header_comment(line, table);
      continue;
    }
    if (line.size() > kMaxLineBytes) {
      cclog("Line of %zu bytes in %s is too long, skipped.", line.size(), path.c_str());
      continue;
    }
    table.lines.push_back(scrambled ? unscramble(line) : std::string(line));
  }
  return table;
}

// A table must hold its version line and, when its header counts them, exactly that many
// records whole: an empty, cut off or damaged table is refused rather than served as if it
// converted. Tables written before the count was kept load on their version line alone.
bool holds_what_header_says(const fs::path& path, const TableLines& table, std::size_t loaded,
                            bool records_required) {
  if (table.lines.empty()) {
    cclog("Table %s is empty.", path.c_str());
    return false;
  }
  if (table.count_unreadable) {
    cclog("Table %s has an unreadable record count.", path.c_str());
    return false;
  }
  if (table.declared_records && !table.ends_with_line_end) {
    cclog("Table %s is cut off inside its last line.", path.c_str());
    return false;
  }
  if (table.declared_records && *table.declared_records != loaded) {
    cclog("Table %s declares %zu records but %zu load.", path.c_str(), *table.declared_records,
          loaded);
    return false;
  }
  if (records_required && loaded == 0) {
    cclog("Table %s holds no records.", path.c_str());
    return false;
  }
  return true;
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

// The comment header with the record count, the version line (required: the loader takes the
// first line as the version), then the records.
std::string stored_table(const std::optional<std::string>& version, std::size_t record_count,
                         const std::string& records) {
  return kHeader + std::string(kRecordsLine) + std::to_string(record_count) + "\n" +
         scramble(version.value_or("unknown")) + "\n" + records;
}

bool write_file(const fs::path& path, const std::string& contents, std::error_code& error) {
  return platform::files::write_atomic(path, contents, error, 0644);
}

}  // namespace

bool load_char_table(const fs::path& path, CharTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, true);
  if (!lines) return false;
  bool version_taken = false;
  std::size_t loaded = 0;
  for (const std::string& line : lines->lines) {
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
    if (table.add(fields[0], fields[1])) {
      ++loaded;
    } else {
      cclog("Invalid line [%s]", text->c_str());
    }
  }
  cclog(">> Total %zu records loaded from hzdb.", table.size() + (table.version ? 1 : 0));
  return holds_what_header_says(path, *lines, loaded, true);
}

bool load_fix_table(const fs::path& path, FixTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, true);
  if (!lines) return false;
  bool first = true;
  std::size_t loaded = 0;
  std::optional<std::string> section;
  for (const std::string& line : lines->lines) {
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
        ++loaded;
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
    } else {
      ++loaded;
    }
  }
  cclog(">> Total %zu items loaded.", table.section_count() + (table.version ? 1 : 0));
  return holds_what_header_says(path, *lines, loaded, false);
}

bool load_user_fixes(const fs::path& path, UserFixTable& table, Gb18030Codec& codec) {
  auto lines = read_lines(path, false);
  if (!lines) return false;
  for (const std::string& line : lines->lines) {
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
  std::string records;
  std::size_t written = 0, left_out = 0;
  for (const auto& [simplified, traditional] : table.sorted_entries()) {
    std::string line = simplified + " " + traditional;
    if (line.size() > kMaxLineBytes) {
      ++left_out;
      continue;
    }
    records += scramble(line) + "\n";
    ++written;
  }
  if (skipped) *skipped = left_out;
  return stored_table(table.version, written, records);
}

std::string format_fix_table(const FixTable& table, std::size_t* skipped) {
  std::string records;
  std::size_t written = 0, left_out = 0;
  for (const FixSection* section : table.sorted_sections()) {
    records += "!" + scramble(section->character()) + "\n";
    ++written;
    for (const FixEntry& entry : section->entries()) {
      std::string line = ">" + entry.phrase + " " + entry.replacement + " " +
                         std::to_string(entry.before) + " " + std::to_string(entry.after);
      if (line.size() > kMaxLineBytes) {
        ++left_out;
        continue;
      }
      records += scramble(line) + "\n";
      ++written;
    }
  }
  if (skipped) *skipped = left_out;
  return stored_table(table.version, written, records);
}

bool write_char_table(const fs::path& path, const CharTable& table, std::error_code& error) {
  return write_file(path, format_char_table(table), error);
}

bool write_fix_table(const fs::path& path, const FixTable& table, std::error_code& error) {
  return write_file(path, format_fix_table(table), error);
}

}  // namespace converter::table_file
