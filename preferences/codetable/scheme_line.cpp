#include "scheme_line.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "temp_file.h"

namespace codetable {

namespace {

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t bar = line.find('|');
    fields.push_back(line.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    line.remove_prefix(bar + 1);
  }
}

// A number field as the pane reads it: leading blanks, a sign and the digits that follow;
// anything else reads as 0, and values beyond int are held at its limits.
int int_value(std::string_view field) {
  std::size_t at = 0;
  while (at < field.size() && (field[at] == ' ' || field[at] == '\t')) ++at;
  bool negative = false;
  if (at < field.size() && (field[at] == '-' || field[at] == '+')) negative = field[at++] == '-';
  long long value = 0;
  for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at) {
    value = value * 10 + (field[at] - '0');
    if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string_view folder_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::optional<SchemeLine> ParseSchemeLine(std::string_view text) {
  std::string_view line = text.substr(0, std::min(text.size(), kSchemeLineBytes));
  const std::size_t end = line.find_first_of("\r\n");
  if (end != std::string_view::npos) line = line.substr(0, end);
  const std::vector<std::string_view> fields = split_fields(line);
  if (fields.size() != 6 && fields.size() != 8) return std::nullopt;

  SchemeLine scheme;
  scheme.max_key_length = int_value(fields[0]);
  // The wildcard is the field's first byte; an empty field leaves the table without one.
  scheme.wildcard = fields[1].empty() ? '\0' : fields[1].front();
  scheme.auto_confirm = int_value(fields[2]);
  scheme.show_left = int_value(fields[3]);
  scheme.match_method = int_value(fields[4]);
  scheme.sort_method = int_value(fields[5]);
  if (fields.size() == 8) {
    scheme.header_charset = std::string(fields[6]);
    scheme.other_charset = std::string(fields[7]);
  }
  return scheme;
}

std::string FormatSchemeLine(const SchemeLine& scheme) {
  std::string line = std::to_string(scheme.max_key_length);
  line += '|';
  line += scheme.wildcard != '\0' ? scheme.wildcard : kDefaultWildcard;
  for (int field : {scheme.auto_confirm, scheme.show_left, scheme.match_method, scheme.sort_method}) {
    line += '|';
    line += std::to_string(field);
  }
  line += '|' + scheme.header_charset + '|' + scheme.other_charset;
  return line;
}

std::optional<SchemeLine> ReadSchemeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string first(kSchemeLineBytes, '\0');
  in.read(first.data(), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(in.gcount()));
  return ParseSchemeLine(first);
}

bool WriteSchemeFile(const std::string& path, const SchemeLine& scheme, std::string* error) {
  const std::string line = FormatSchemeLine(scheme);
  // A "|" or a line end inside a field, or a line the readers would cut, would not read back.
  SchemeLine written = scheme;
  if (written.wildcard == '\0') written.wildcard = kDefaultWildcard;
  if (line.size() > kSchemeLineBytes || ParseSchemeLine(line) != written) {
    if (error != nullptr) *error = "The scheme options cannot be written as one scheme line.";
    return false;
  }
  const std::string folder(folder_of(path));
  TempFile file(folder, GetLastName(path, ".pct"));
  if (!file.ok() || !file.write_all(line) || !file.commit(path)) {
    if (error != nullptr) *error = file.error();
    return false;
  }
  SyncFolder(folder);
  return true;
}

std::string GetLastName(std::string_view path, std::string_view extension) {
  const std::size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name) + std::string(extension);
}

bool IsTableName(std::string_view name) {
  if (name.empty() || name.size() > kMaxTableNameBytes || name.front() == '.') return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '/' || byte < 0x20 || byte == 0x7f;
  });
}

bool IsWildcard(std::string_view text) {
  if (text.size() != 1) return false;
  const auto byte = static_cast<unsigned char>(text.front());
  return byte > 0x20 && byte < 0x7f && byte != '|';
}

std::string PlugCodeTableFolder(std::string* error) {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    if (error != nullptr) *error = "HOME is not set to an absolute folder.";
    return std::string();
  }
  return std::string(home) + "/Library/KEP/PlugCodeTable";
}

}  // namespace codetable
