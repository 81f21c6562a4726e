// The double-pinyin scheme files the pane lists and writes: the shipped ones among the input
// method's resources (read-only here) and the user's own, the top-level ".spc" files of the data
// folder. The engine finds a scheme by its bare file name, data folder first, so a user scheme
// is always a plain file name directly in that folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dpypane {

struct SchemeRecord {
  std::filesystem::path base;  // the folder the file lies in
  std::string name;            // its file name: the scheme's name, what SPC holds
  bool user = false;           // false: shipped, never written

  std::filesystem::path file() const { return base / name; }
};

// The input method's resource folder, "/Library/Input Methods/IMKKEP.app" under the root
// prefix; nullopt when that bundle is not installed.
std::optional<std::filesystem::path> builtin_scheme_folder();
// "$HOME/Library/KEP"; empty when HOME is not an absolute path.
std::filesystem::path user_scheme_folder();

// The regular files directly in `folder` whose extension is "spc" in any case, by name. Files
// in subfolders (skins, dictionaries) are no schemes: the engine would not find them.
std::vector<SchemeRecord> list_schemes(const std::filesystem::path& folder, bool user);

// ASCII letters compared without regard to case, as the file names are.
bool same_name(std::string_view a, std::string_view b);

// A name the pane may write a file under in the user's folder: not empty, no "/", not "." or
// "..", no leading dot (no hidden file, nothing that climbs out), no NUL or control characters
// and valid UTF-8.
bool is_plain_file_name(std::string_view name);

// The name with ".spc" appended unless its extension already is "spc" in some case.
std::string with_scheme_extension(std::string name);

// Whether a row other than `except` (-1: none) or a file of the user's folder bears `name`,
// case aside, so that no two rows ever share a file.
bool name_taken(const std::vector<SchemeRecord>& rows, std::string_view name, int except,
                const std::filesystem::path& user_folder);

// "NewSPC.spc", then "NewSPC1.spc" ... "NewSPC999.spc": the first name no row and no file of
// the user's folder takes; nullopt when all are taken.
std::optional<std::string> free_new_name(const std::vector<SchemeRecord>& rows,
                                         const std::filesystem::path& user_folder);

// The scheme's text. Nothing when the file does not exist; an error when it cannot be read, is
// not UTF-8 or is larger than a scheme ever is.
struct ReadScheme {
  enum class Outcome { Read, Missing, Unreadable };
  Outcome outcome = Outcome::Missing;
  std::string text;
};
ReadScheme read_scheme(const SchemeRecord& scheme);
inline constexpr std::size_t kMaxSchemeBytes = 1 << 20;

// Writes `text` as the scheme's file, atomically (readers see the old or the new text); false
// with the reason in `why` when it cannot be written or the record may not be written (a
// shipped scheme, a name that is not plain).
bool write_scheme(const SchemeRecord& scheme, std::string_view text, std::string* why);

}  // namespace dpypane
