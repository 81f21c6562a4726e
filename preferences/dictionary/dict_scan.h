// The user's dictionaries as the pane lists them: the dictionary folders directly in the
// Dictionary folder, in the order the folder lists them, with what their dict.info says.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dictpane {

struct DictEntry {
  // The dictionary folder. Kept apart from the dict.info keys: a dict.info line "PATH ..."
  // must never choose what a delete removes.
  std::filesystem::path path;
  // Every key and value of dict.info (TOTAL_COUNT, USER, DESCRIPTION, DATE, VERSION ...).
  std::map<std::string, std::string, std::less<>> info;
  // Made from a cell dictionary: the folder has a uid.info.
  bool daruz = false;
  // The text of uid.info, when it could be read as UTF-8.
  std::optional<std::string> uid;

  // The dict.info value of `key`; nullptr when absent.
  const std::string* find(std::string_view key) const;
};

// Lines of dict.info longer than this are read in pieces of this size, as separate lines.
inline constexpr std::size_t kMaxInfoLine = 2047;
inline constexpr std::size_t kMaxInfoKey = 511;
inline constexpr std::size_t kMaxInfoValue = 1023;

struct InfoLine {
  std::string key;
  std::string value;
};

// One line of dict.info (its line end included or not): blanks before the key, the key up to
// the first blank (cut to kMaxInfoKey bytes), blanks, the value up to the line end (cut to
// kMaxInfoValue bytes). nullopt for a blank line, a comment ("#" first), a key with nothing
// after it, and a key or value that is not UTF-8.
std::optional<InfoLine> parse_info_line(std::string_view line);

// Whether a folder name in Dictionary/ is listed: not a staging folder ("__new__..."), with
// the extension "dict" or "scel" exactly, and not "system.dict" in any letter case.
bool is_listed_name(std::string_view name);

// Scans `base` (created when missing). Only real folders directly in it count (links are not
// followed); a folder without a dict.info that opens for reading is left out. A base that
// cannot be read gives an empty list.
std::vector<DictEntry> scan_dictionaries(const std::filesystem::path& base);

// The text of a cell of the dictionary table (NAME, AUTHOR, DATE, COUNT); nullopt for another
// column. A missing value shows `placeholder` of its key (NO_DICT_NAME, NO_DICT_AUTHOR,
// NO_DICT_DATE, NO_DICT_COUNT). A cell dictionary keeps its name under USER and its remark
// under DESCRIPTION, so NAME and AUTHOR swap the two for it.
std::optional<std::string> cell_text(
    const DictEntry& entry, std::string_view column,
    const std::function<std::string(std::string_view key)>& placeholder);

}  // namespace dictpane
