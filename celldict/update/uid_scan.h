// Which installed dictionary folders came from cell dictionaries, and the update query that
// names them: "id=4|id=1234|id=567", the uid 4 first when it is installed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace celldict::update {

// A uid is 1 to this many decimal digits: uid.info holds an int printed with "%d".
inline constexpr std::size_t kMaxUidDigits = 10;
// The uid whose dictionary's sample words are shown when it is renewed.
inline constexpr std::string_view kNoticeUid = "4";
inline constexpr std::string_view kStagingPrefix = "__new__";

struct ScanResult {
  // Empty when no folder has a valid uid.
  std::string query;
  // uid (as the query names it) -> the installed folder.
  std::map<std::string, std::filesystem::path> uidInfo;
};

// Whether a name in Dictionary/ is an installed cell-dictionary folder's: longer than four
// characters, ending in "scel" in any case, neither hidden nor a staging folder "__new__...".
bool is_cell_dict_folder_name(std::string_view name);

// The uid of a uid.info text: the whole text must be decimal digits (a sign, blanks or any
// other byte make it no uid). Leading zeros are dropped, so "0004" is the uid 4.
std::optional<std::string> parse_uid(std::string_view text);

struct ScanOptions {
  // The dictionary pane asks for the uid 4 whether or not it is installed: "id=4" always
  // comes first, and is the whole query when no folder has a uid.
  bool always_ask_notice_uid = false;
};

// Scans the folders directly under `dictionary_folder`, in name order. A folder whose
// uid.info is missing, unreadable or holds no uid is skipped, never the whole scan; a uid
// named by two folders is kept for the first. nullopt when the folder is missing or cannot be
// listed.
std::optional<ScanResult> getScanID(const std::filesystem::path& dictionary_folder,
                                    ScanOptions options = {});

// The name of the installed folder directly under `dictionary_folder` whose uid.info holds
// the same uid as `uid` (leading zeros aside), the first in name order: the dictionary an
// imported cell dictionary refreshes. Any folder counts except hidden and staging ones; an
// empty or non-numeric uid matches none, and so does a missing or unlistable folder.
std::optional<std::string> installed_folder_with_uid(const std::filesystem::path& dictionary_folder,
                                                     std::string_view uid);

}  // namespace celldict::update
