#include "preferences/dictionary/dict_copy.h"

#include <stdio.h>
#include <cerrno>
#include <sys/stat.h>

#include <system_error>

#include "platform/files.h"

namespace dictpane {

namespace fs = std::filesystem;

namespace {

// Copies the folder tree: folders and regular files only, links and devices left out.
bool copy_tree(const fs::path& from, const fs::path& to, std::error_code& error) {
  for (const fs::directory_entry& item : fs::directory_iterator(from, error)) {
    const fs::file_status status = item.symlink_status(error);
    if (error) return false;
    const fs::path target = to / item.path().filename();
    if (fs::is_directory(status)) {
      if (!fs::create_directory(target, error)) return false;
      if (!copy_tree(item.path(), target, error)) return false;
    } else if (fs::is_regular_file(status)) {
      if (!fs::copy_file(item.path(), target, fs::copy_options::none, error)) return false;
    }
  }
  return !error;
}

bool is_inside(const fs::path& path, const fs::path& folder) {
  auto [end, ignored] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return end == folder.end();
}

}  // namespace

AddOutcome add_dict_folder(const fs::path& source, const fs::path& dictionaries,
                           std::string* why) {
  std::error_code error;
  struct stat status {};
  if (::lstat(source.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    *why = source.string() + " is not a folder";
    return AddOutcome::NotAFolder;
  }
  if (!platform::files::make_directories(dictionaries, 0700, error)) {
    *why = "cannot make " + dictionaries.string() + ": " + error.message();
    return AddOutcome::Failed;
  }
  const fs::path real_source = fs::weakly_canonical(source, error);
  const fs::path real_folder = fs::weakly_canonical(dictionaries, error);
  if (error) {
    *why = error.message();
    return AddOutcome::Failed;
  }
  // Replacing would delete the source itself, or the copy would grow inside what it copies.
  if (is_inside(real_source, real_folder) || is_inside(real_folder, real_source)) {
    *why = source.string() + " is already in " + dictionaries.string();
    return AddOutcome::InsideDictionaries;
  }
  const fs::path target = dictionaries / source.filename();

  // Aside, under a hidden name the list and the engine pass over.
  std::optional<fs::path> aside = platform::files::make_temp_directory(dictionaries, ".add.", error);
  if (!aside) {
    *why = "cannot make a folder in " + dictionaries.string() + ": " + error.message();
    return AddOutcome::Failed;
  }
  const fs::path copy = *aside / "copy";
  std::error_code removal;
  if (!fs::create_directory(copy, error) || !copy_tree(source, copy, error)) {
    *why = "cannot copy " + source.string() + ": " + error.message();
    platform::files::remove_tree(*aside, removal);
    return AddOutcome::Failed;
  }
  // The old folder moves into the private folder first, then the copy takes its name.
  const fs::path old = *aside / "old";
  const bool had_old = ::rename(target.c_str(), old.c_str()) == 0;
  if (!had_old && errno != ENOENT) {
    *why = "cannot replace " + target.string() + ": " + std::generic_category().message(errno);
    platform::files::remove_tree(*aside, removal);
    return AddOutcome::Failed;
  }
  if (::rename(copy.c_str(), target.c_str()) != 0) {
    *why = "cannot put " + target.string() + " in place: " + std::generic_category().message(errno);
    if (had_old) ::rename(old.c_str(), target.c_str());
    platform::files::remove_tree(*aside, removal);
    return AddOutcome::Failed;
  }
  platform::files::remove_tree(*aside, removal);
  return AddOutcome::Added;
}

}  // namespace dictpane
