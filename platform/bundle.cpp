#include "platform/bundle.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/files.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

// Where bundles are installed, relative to the root prefix.
constexpr const char* kSearchFolders[] = {"Library", "Applications", "System/Library"};
constexpr int kMaxSearchDepth = 7;

bool is_bundle_name(const fs::path& path) {
  static constexpr const char* kExtensions[] = {".app", ".bundle", ".component", ".prefPane",
                                                ".qlgenerator", ".plugin"};
  std::string ext = path.extension().string();
  for (const char* known : kExtensions) {
    if (ext == known) return true;
  }
  return false;
}

std::optional<fs::path> search(const fs::path& folder, std::string_view identifier, int depth) {
  if (depth > kMaxSearchDepth) return std::nullopt;
  std::error_code ec;
  for (const auto& entry : files::list_directory(folder, ec)) {
    if (entry.is_symlink(ec) || !entry.is_directory(ec)) continue;
    const fs::path& path = entry.path();
    if (is_bundle_name(path)) {
      if (auto bundle = Bundle::at(path); bundle && bundle->identifier() == identifier) return path;
      // Bundles nest (helpers in SharedSupport, panes in PlugIns): look inside Contents.
      if (auto inner = search(path / "Contents", identifier, depth + 1)) return inner;
      continue;
    }
    if (auto inner = search(path, identifier, depth + 1)) return inner;
  }
  return std::nullopt;
}

std::mutex cache_mutex;
std::map<std::pair<std::string, std::string>, fs::path> found_bundles;

}  // namespace

std::optional<Bundle> Bundle::at(const fs::path& folder) {
  std::error_code ec;
  auto info = plist::read_file(folder / "Contents" / "Info.plist", ec);
  if (!info || !info->is_dictionary()) return std::nullopt;
  Bundle bundle;
  bundle.path_ = folder;
  bundle.info_ = *info->as_dictionary();
  return bundle;
}

std::optional<Bundle> Bundle::find(std::string_view identifier) {
  fs::path root = files::root();
  auto key = std::make_pair(root.string(), std::string(identifier));
  {
    std::lock_guard lock(cache_mutex);
    if (auto it = found_bundles.find(key); it != found_bundles.end()) {
      if (auto bundle = at(it->second)) return bundle;
      found_bundles.erase(it);
    }
  }
  for (const char* folder : kSearchFolders) {
    if (auto path = search(root / folder, identifier, 0)) {
      std::lock_guard lock(cache_mutex);
      found_bundles[key] = *path;
      return at(*path);
    }
  }
  return std::nullopt;
}

void Bundle::reset_cache() {
  std::lock_guard lock(cache_mutex);
  found_bundles.clear();
}

std::string Bundle::identifier() const {
  if (const plist::Value* id = info_.find("CFBundleIdentifier")) {
    if (const std::string* text = id->as_string()) return *text;
  }
  return {};
}

std::optional<fs::path> Bundle::resource(std::string_view name) const {
  if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
  fs::path candidate = resources_path() / fs::path(name);
  std::error_code ec;
  if (fs::exists(candidate, ec)) return candidate;
  return std::nullopt;
}

}  // namespace platform
