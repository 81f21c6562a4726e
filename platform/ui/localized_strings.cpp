#include "platform/ui/localized_strings.h"

#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/plist.h"

namespace platform::ui {

namespace {

constexpr const char* kStringsTable = "English.lproj/Localizable.strings";

// What identifies one version of a table file: a rewrite (atomic or in place) or a change of
// its permissions changes one of these. Only a rewrite within one clock tick that keeps both
// the size and the inode goes unseen; tables change when a program is installed, not while the
// programs that read them run.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

struct CachedTable {
  FileIdentity identity;
  // Empty for a table that is damaged or not a dictionary: every key gives its default.
  std::shared_ptr<const plist::Dictionary> strings;
};

std::mutex cache_mutex;
std::map<std::string, CachedTable> tables;

std::optional<FileIdentity> identify(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

std::shared_ptr<const plist::Dictionary> table_of(const Bundle& bundle) {
  std::filesystem::path path = bundle.resources_path() / kStringsTable;
  std::optional<FileIdentity> identity = identify(path);
  std::lock_guard lock(cache_mutex);
  if (!identity) {
    tables.erase(path.string());
    return nullptr;
  }
  if (auto it = tables.find(path.string()); it != tables.end() && it->second.identity == *identity) {
    return it->second.strings;
  }
  std::error_code error;
  std::optional<plist::Value> table = plist::read_file(path, error);
  std::shared_ptr<const plist::Dictionary> strings;
  if (table && table->is_dictionary()) {
    strings = std::make_shared<const plist::Dictionary>(std::move(*table->as_dictionary()));
  }
  tables[path.string()] = CachedTable{*identity, strings};
  return strings;
}

}  // namespace

std::string localized_string(const Bundle& bundle, std::string_view key,
                             std::string_view default_text) {
  std::shared_ptr<const plist::Dictionary> strings = table_of(bundle);
  const plist::Value* text = strings ? strings->find(key) : nullptr;
  if (text == nullptr || !text->is_string()) return std::string(default_text);
  return *text->as_string();
}

std::string localized_string(std::string_view bundle_identifier, std::string_view key,
                             std::string_view default_text) {
  std::optional<Bundle> bundle = Bundle::find(bundle_identifier);
  if (!bundle) return std::string(default_text);
  return localized_string(*bundle, key, default_text);
}

}  // namespace platform::ui
