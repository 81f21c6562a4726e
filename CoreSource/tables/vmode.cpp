// The V-mode and abbreviation tables in memory and their reloading.
#include "tables/vmode.h"

#include <sys/stat.h>

#include <optional>
#include <string>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/bundle.h"
#include "platform/files.h"

namespace {

// Larger files are not hand-edited lists; refusing them keeps a stray file from eating memory.
constexpr std::size_t kLargestTableFile = 8 * 1024 * 1024;

ime_vmode_table_t system_table;
ime_vmode_table_t user_table;
ime_vmode_table_t abbr_table;

bool system_table_read = false;
// Modification times (whole seconds) of the user files last loaded; none before the first load
// (a file dated at the epoch still loads).
std::optional<long long> user_vmode_seconds;
std::optional<long long> user_abbr_seconds;

// The file's text; nullopt when it cannot be read or is too large for a hand-edited list.
std::optional<std::string> read_table_file(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  if (static_cast<unsigned long long>(st.st_size) > kLargestTableFile) {
    IME_ERROR("'%s' is larger than %zu bytes; not loaded.", path.c_str(), kLargestTableFile);
    return std::nullopt;
  }
  std::error_code error;
  return platform::files::read_file(path, error);
}

// Replaces `table` by the file's entries when the file's modification time is not the one
// remembered in `seconds`. A missing file leaves the table as it was.
void reload_when_changed(const std::string& path, ime_vmode_format format,
                         ime_vmode_table_t* table, std::optional<long long>* seconds) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return;
  if (st.st_mtim.tv_sec == *seconds) return;
  *seconds = st.st_mtim.tv_sec;
  ime_vmode_table_t fresh;
  if (std::optional<std::string> text = read_table_file(path)) {
    int skipped = ime_vmode_parse(*text, format, &fresh);
    if (skipped > 0) IME_DEBUG("%d malformed lines of '%s' skipped.", skipped, path.c_str());
  }
  *table = std::move(fresh);
}

const std::vector<ime_vmode_entry_t>& entries_of(const ime_vmode_table_t& table) {
  return table.entries;
}

}  // namespace

int QAVModeInit(const platform::Bundle* bundle) {
  if (bundle == nullptr) return -1;
  if (!system_table_read) {
    if (std::optional<std::filesystem::path> path = bundle->resource("vmode.txt")) {
      ime_vmode_table_t fresh;
      if (std::optional<std::string> text = read_table_file(path->string())) {
        ime_vmode_parse(*text, ime_vmode_format::VMode, &fresh);
      }
      system_table = std::move(fresh);
    }
  }
  const std::string& folder = QAGetAppSupportPathString();
  if (!folder.empty()) {
    reload_when_changed(folder + "/vmode.txt", ime_vmode_format::VMode, &user_table,
                        &user_vmode_seconds);
    reload_when_changed(folder + "/abbr.txt", ime_vmode_format::Abbreviation, &abbr_table,
                        &user_abbr_seconds);
  }
  system_table_read = true;
  return 0;
}

const ime_vmode_entry_t* QAVModeGetItem(const char* key) {
  if (key == nullptr) return nullptr;
  if (const ime_vmode_entry_t* entry = user_table.find(key)) return entry;
  return system_table.find(key);
}

const ime_vmode_entry_t* QAAbbrGetItem(const char* key) {
  if (key == nullptr) return nullptr;
  return abbr_table.find(key);
}

void QAVModeRelease() {
  system_table = {};
  user_table = {};
  abbr_table = {};
  // A program that releases the tables and initializes again (the candidate window does, as
  // its controller comes and goes) must get them back, not empty tables until a file changes.
  system_table_read = false;
  user_vmode_seconds.reset();
  user_abbr_seconds.reset();
}

const std::vector<ime_vmode_entry_t>& QAVModeSystemEntries() { return entries_of(system_table); }
const std::vector<ime_vmode_entry_t>& QAVModeUserEntries() { return entries_of(user_table); }
const std::vector<ime_vmode_entry_t>& QAAbbrEntries() { return entries_of(abbr_table); }

void ime_vmode_reset_for_testing() { QAVModeRelease(); }
