#include "celldict/update/uid_scan.h"

#include <strings.h>

#include <system_error>

#include "celldict/update/small_file.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"

namespace celldict::update {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCellSuffix = "scel";

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         ::strncasecmp(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ::strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// The folder's uid, or nullopt (logged) when it has none to offer.
std::optional<std::string> folder_uid(const fs::path& folder) {
  const SmallFile file = read_small_file(folder / "uid.info", kMaxUidDigits + 16);
  switch (file.status) {
    case SmallFile::Status::Missing:
      return std::nullopt;  // a dictionary of the user's own, not from a cell dictionary
    case SmallFile::Status::Unreadable:
      updlog("Skip '%s': uid.info cannot be read (%s).", folder.c_str(), file.why.c_str());
      return std::nullopt;
    case SmallFile::Status::TooLong:
      updlog("Skip '%s': uid.info is too long for a uid.", folder.c_str());
      return std::nullopt;
    case SmallFile::Status::Read:
      break;
  }
  std::optional<std::string> uid = parse_uid(file.text);
  if (!uid) updlog("Skip '%s': uid.info holds no uid ('%s').", folder.c_str(), loggable(file.text).c_str());
  return uid;
}

}  // namespace

bool is_cell_dict_folder_name(std::string_view name) {
  return name.size() > 4 && name.front() != '.' && ends_with_ignoring_case(name, kCellSuffix) &&
         !starts_with_ignoring_case(name, kStagingPrefix) &&
         name.find('/') == std::string_view::npos;
}

std::optional<std::string> parse_uid(std::string_view text) {
  if (text.empty() || text.size() > kMaxUidDigits) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const std::size_t first = text.find_first_not_of('0');
  return std::string(first == std::string_view::npos ? std::string_view("0") : text.substr(first));
}

std::optional<ScanResult> getScanID(const fs::path& dictionary_folder, ScanOptions options) {
  std::error_code error;
  if (!fs::is_directory(dictionary_folder, error)) return std::nullopt;
  const auto entries = platform::files::list_directory(dictionary_folder, error);
  if (error) {
    updlog("fts_open failed! (%s: %s)", dictionary_folder.c_str(), error.message().c_str());
    return std::nullopt;
  }
  ScanResult result;
  bool notice_uid_present = false;
  std::string others;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kind_error;
    if (!is_cell_dict_folder_name(name) || !fs::is_directory(entry.path(), kind_error)) continue;
    std::optional<std::string> uid = folder_uid(entry.path());
    if (!uid) continue;
    if (!result.uidInfo.emplace(*uid, entry.path()).second) {
      updlog("Skip '%s': the uid %s belongs to '%s' already.", entry.path().c_str(), uid->c_str(),
             result.uidInfo[*uid].c_str());
      continue;
    }
    if (*uid == kNoticeUid) {
      notice_uid_present = true;
      continue;
    }
    if (!others.empty()) others += '|';
    others += "id=" + *uid;
  }
  if (notice_uid_present || options.always_ask_notice_uid) {
    result.query = "id=" + std::string(kNoticeUid);
    if (!others.empty()) result.query += '|';
  }
  result.query += others;
  return result;
}

std::optional<std::string> installed_folder_with_uid(const fs::path& dictionary_folder,
                                                     std::string_view uid) {
  const std::optional<std::string> wanted = parse_uid(uid);
  if (!wanted) return std::nullopt;
  std::error_code error;
  const auto entries = platform::files::list_directory(dictionary_folder, error);
  if (error) return std::nullopt;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kind_error;
    if (starts_with_ignoring_case(name, kStagingPrefix) || !fs::is_directory(entry.path(), kind_error)) {
      continue;
    }
    if (folder_uid(entry.path()) == wanted) {
      updlog("Import has same uid with %s", name.c_str());
      return name;
    }
  }
  return std::nullopt;
}

}  // namespace celldict::update
