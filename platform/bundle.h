// Bundles: folders "X.app", "X.bundle", "X.component" (and plug-in kinds) holding
// Contents/Info.plist, Contents/Resources, Contents/MacOS, Contents/SharedSupport.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/plist.h"

namespace platform {

class Bundle {
 public:
  // The bundle at a folder; nullopt when it has no readable Contents/Info.plist.
  static std::optional<Bundle> at(const std::filesystem::path& folder);

  // Finds the bundle whose CFBundleIdentifier is `identifier` under the root prefix
  // (files::root()); results are cached per root and identifier.
  static std::optional<Bundle> find(std::string_view identifier);

  // Forgets what find() has cached.
  static void reset_cache();

  const std::filesystem::path& path() const { return path_; }
  std::string identifier() const;
  const plist::Dictionary& info() const { return info_; }

  std::filesystem::path resources_path() const { return path_ / "Contents" / "Resources"; }
  std::filesystem::path shared_support_path() const { return path_ / "Contents" / "SharedSupport"; }
  std::filesystem::path executable_folder() const { return path_ / "Contents" / "MacOS"; }

  // The path of a resource file, when it exists among the bundle's resources.
  std::optional<std::filesystem::path> resource(std::string_view name) const;

 private:
  std::filesystem::path path_;
  plist::Dictionary info_;
};

}  // namespace platform

