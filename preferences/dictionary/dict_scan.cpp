#include "preferences/dictionary/dict_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <system_error>

#include "platform/text.h"

namespace dictpane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagingPrefix = "__new__";
// uid.info holds a number; anything much longer is not one worth showing.
constexpr std::size_t kMaxUidFile = 4096;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n' || c == '\0'; }

bool is_utf8(std::string_view text) { return platform::text::is_valid_utf8(text); }

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The uid.info text, when the file reads whole as UTF-8.
std::optional<std::string> read_uid(const fs::path& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  std::string text(kMaxUidFile + 1, '\0');
  const std::size_t read = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get()) || read > kMaxUidFile) return std::nullopt;
  text.resize(read);
  if (!is_utf8(text)) return std::nullopt;
  return text;
}

std::optional<DictEntry> read_entry(const fs::path& folder) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> info(
      std::fopen((folder / "dict.info").c_str(), "r"), &std::fclose);
  if (!info) return std::nullopt;
  const fs::path uid_file = folder / "uid.info";
  std::error_code ignored;
  const bool has_uid = fs::exists(uid_file, ignored);

  DictEntry entry;
  entry.path = folder;
  char line[kMaxInfoLine + 1];
  while (std::fgets(line, sizeof line, info.get()) != nullptr) {
    std::optional<InfoLine> parsed = parse_info_line(line);
    if (!parsed) continue;
    entry.info[parsed->key] = parsed->value;
    if (has_uid) {
      entry.daruz = true;
      entry.uid = read_uid(uid_file);
    }
  }
  return entry;
}

}  // namespace

const std::string* DictEntry::find(std::string_view key) const {
  auto found = info.find(key);
  return found == info.end() ? nullptr : &found->second;
}

std::optional<InfoLine> parse_info_line(std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && is_blank(line[at])) ++at;
  if (at == line.size() || is_line_end(line[at]) || line[at] == '#') return std::nullopt;
  const std::size_t key_start = at;
  while (at < line.size() && !is_blank(line[at]) && !is_line_end(line[at])) ++at;
  // A key the line ends after sets nothing.
  if (at == line.size() || !is_blank(line[at])) return std::nullopt;
  InfoLine parsed;
  parsed.key = line.substr(key_start, std::min(at - key_start, kMaxInfoKey));
  while (at < line.size() && is_blank(line[at])) ++at;
  const std::size_t value_start = at;
  while (at < line.size() && !is_line_end(line[at])) ++at;
  parsed.value = line.substr(value_start, std::min(at - value_start, kMaxInfoValue));
  if (!is_utf8(parsed.key) || !is_utf8(parsed.value)) return std::nullopt;
  return parsed;
}

bool is_listed_name(std::string_view name) {
  if (name.empty() || name.starts_with(kStagingPrefix)) return false;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string_view extension = name.substr(dot + 1);
  if (extension != "dict" && extension != "scel") return false;
  return !equal_ignoring_case(name, "system.dict");
}

std::vector<DictEntry> scan_dictionaries(const fs::path& base) {
  std::vector<DictEntry> entries;
  if (base.empty()) return entries;
  std::error_code ignored;
  fs::create_directories(base, ignored);
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(base.c_str()), &::closedir);
  if (!folder) return entries;
  // The folder's own order, as a walk of it returns the names.
  while (const dirent* item = ::readdir(folder.get())) {
    const std::string_view name = item->d_name;
    if (name == "." || name == ".." || !is_listed_name(name)) continue;
    const fs::path path = base / item->d_name;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) continue;
    if (std::optional<DictEntry> entry = read_entry(path)) entries.push_back(std::move(*entry));
  }
  return entries;
}

std::optional<std::string> cell_text(
    const DictEntry& entry, std::string_view column,
    const std::function<std::string(std::string_view key)>& placeholder) {
  std::string_view key;
  std::string_view placeholder_key;
  if (column == "NAME") {
    key = entry.daruz ? "USER" : "DESCRIPTION";
    placeholder_key = "NO_DICT_NAME";
  } else if (column == "AUTHOR") {
    key = entry.daruz ? "DESCRIPTION" : "USER";
    placeholder_key = "NO_DICT_AUTHOR";
  } else if (column == "DATE") {
    key = "DATE";
    placeholder_key = "NO_DICT_DATE";
  } else if (column == "COUNT") {
    key = "TOTAL_COUNT";
    placeholder_key = "NO_DICT_COUNT";
  } else {
    return std::nullopt;
  }
  if (const std::string* value = entry.find(key)) return *value;
  return placeholder(placeholder_key);
}

}  // namespace dictpane
