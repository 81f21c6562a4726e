// File names a skin gives for its pictures, kept inside the skin folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gfx/surface.h"

namespace kepskin {

// The existing file `name` names inside `folder`, or nullopt with the reason: an empty or
// absolute name, a ".." part, or a path (symbolic links followed) that leaves the folder.
std::optional<std::filesystem::path> picture_in_skin(const std::filesystem::path& folder, std::string_view name,
                                                     std::string* reason);

// The picture `name` of the skin in `folder`, or nullopt with the reason (refused name, unreadable,
// not a picture, too large).
std::optional<platform::gfx::Surface> CreateImageFromPath(const std::filesystem::path& folder,
                                                          std::string_view name, std::string* reason);

}  // namespace kepskin
