#include "dict/dictpool.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "base/counterfile.h"
#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/files.h"
#include "tables/hzfreq.h"

ImeDict* ime_dict_pool[IME_MAX_DICTS] = {};
int ime_dict_count = 0;

namespace {

// Staging folders of a dictionary being rebuilt; the host swaps them in when they are done.
constexpr std::string_view kStagingPrefix = "__new__";

// The host takes a staging folder's name without regard to case; so does the skip.
bool is_staging_folder(const std::string& name) {
  return name.size() >= kStagingPrefix.size() &&
         ::strncasecmp(name.c_str(), kStagingPrefix.data(), kStagingPrefix.size()) == 0;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// A set of open dictionaries being filled: the pool itself, or a new set opened aside.
struct DictSet {
  ImeDict** dicts;
  int* count;
  void add(ImeDict* dict) { dicts[(*count)++] = dict; }
  void close() {
    for (int i = 0; i < *count; ++i) {
      ime_dict_close(dicts[i]);
      dicts[i] = nullptr;
    }
    *count = 0;
  }
};

int open_system_dictionary(const std::string& data_folder, DictSet set) {
  char folder[512];
  if (ime_get_resource_filename("!system.dict", folder) != 0) return -1;
  // Deciding on fresh counters, opening them and recording the version is one step for the
  // processes starting together: a second one must not zero the counters the first has mapped.
  IMECounterLock lock;
  if (!lock.held()) return -1;
  std::string resource_version_file = std::string(folder) + "/version.info";
  std::string resource_version = ime_dict_version(resource_version_file);
  std::string user_version = ime_dict_version(data_folder + "/version.info");
  IME_DEBUG("The default system dict version [%s], user's [%s]", resource_version.c_str(),
            user_version.c_str());

  // Without a version file among the resources there is nothing to record, and starting the
  // counters afresh would do so at every start.
  bool renewed = resource_version != user_version && exists(resource_version_file);
  if (renewed) IME_DEBUG("New version of dict.[%s->%s]", user_version.c_str(), resource_version.c_str());
  ImeDict* dict =
      ime_dict_open(folder, renewed ? IME_DICT_FREQ_RECREATE : IME_DICT_FREQ_KEEP, /*shipped=*/true);
  if (dict == nullptr) {
    IME_ERROR("Open system dict failed!");
    return -1;
  }
  // Recorded only once the new dictionary is open, so a failed open is retried with fresh
  // counters rather than reusing the old dictionary's.
  if (renewed && QACopyFile(resource_version_file.c_str(), data_folder.c_str()) != 0) {
    IME_ERROR("Copy \"%s\" to \"%s\" failed!", resource_version_file.c_str(), data_folder.c_str());
  }
  set.add(dict);
  return 0;
}

void open_user_dictionaries(const std::string& data_folder, DictSet set) {
  std::string root = data_folder + "/Dictionary";
  std::error_code error;
  std::vector<std::filesystem::directory_entry> entries = platform::files::list_directory(root, error);
  // A new user has no dictionary folders yet: nothing to open, and nothing wrong.
  if (error == std::errc::no_such_file_or_directory) return;
  if (error) {
    IME_ERROR("ime_load_phrase(), open dictionary failed!");
    return;
  }
  for (const auto& entry : entries) {
    std::string name = entry.path().filename().string();
    std::error_code ignored;
    // Hidden names (lock files, a replaced folder on its way out) are left out by the walk.
    if (!entry.is_directory(ignored) || is_staging_folder(name)) continue;
    if (*set.count >= IME_MAX_DICTS) {
      IME_ERROR("Too many dictionaries: \"%s\" and the ones after it are not loaded.", name.c_str());
      return;
    }
    std::string path = root + "/" + name;
    IME_DEBUG("Load the dictionary:%s [%s]", name.c_str(), path.c_str());
    if (ImeDict* dict = ime_dict_open(path.c_str(), IME_DICT_FREQ_KEEP)) {
      set.add(dict);
    } else {
      IME_ERROR("Open dict \"%s\" failed!", path.c_str());
    }
  }
}

int open_dictionaries(const std::string& data_folder, DictSet set) {
  if (open_system_dictionary(data_folder, set) != 0) return -1;
  open_user_dictionaries(data_folder, set);
  return 0;
}

DictSet pool() { return {ime_dict_pool, &ime_dict_count}; }

}  // namespace

std::string ime_dict_version(const std::string& version_file) {
  std::string version = ime_read_version_line(version_file, 31);
  return version.empty() ? "1.0" : version;
}

int ime_load_phrase() {
  const std::string& data_folder = QAGetAppSupportPathString();
  if (data_folder.empty()) return -1;
  ime_close_phrase();
  return open_dictionaries(data_folder, pool());
}

int ime_reload_phrase() {
  const std::string& data_folder = QAGetAppSupportPathString();
  if (data_folder.empty()) return -1;
  ImeDict* opened[IME_MAX_DICTS] = {};
  int count = 0;
  DictSet fresh{opened, &count};
  if (open_dictionaries(data_folder, fresh) != 0) {
    fresh.close();
    return -1;
  }
  ime_close_phrase();
  std::copy(opened, opened + count, ime_dict_pool);
  ime_dict_count = count;
  return 0;
}

void ime_close_phrase() { pool().close(); }
