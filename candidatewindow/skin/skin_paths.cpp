#include "candidatewindow/skin/skin_paths.h"

#include "platform/gfx/image.h"

namespace kepskin {

namespace fs = std::filesystem;

std::optional<fs::path> picture_in_skin(const fs::path& folder, std::string_view name, std::string* reason) {
  auto refuse = [&](const char* why) -> std::optional<fs::path> {
    if (reason) *reason = why;
    return std::nullopt;
  };
  if (name.empty()) return refuse("empty picture name");
  if (name.find('\0') != std::string_view::npos) return refuse("picture name holds a NUL");
  const fs::path relative(name);
  if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory())
    return refuse("absolute picture path");
  for (const auto& part : relative)
    if (part == "..") return refuse("picture path leaves the skin folder");
  std::error_code error;
  const fs::path base = fs::canonical(folder, error);
  if (error) return refuse("skin folder cannot be resolved");
  const fs::path resolved = fs::canonical(base / relative, error);
  if (error) return refuse("picture file not found");
  auto inside = resolved.begin();
  for (auto part = base.begin(); part != base.end(); ++part, ++inside)
    if (inside == resolved.end() || *inside != *part) return refuse("picture path leaves the skin folder");
  if (inside == resolved.end()) return refuse("picture path names the skin folder");
  if (!fs::is_regular_file(resolved, error)) return refuse("picture is not a file");
  return resolved;
}

std::optional<platform::gfx::Surface> CreateImageFromPath(const fs::path& folder, std::string_view name,
                                                          std::string* reason) {
  const auto path = picture_in_skin(folder, name, reason);
  if (!path) return std::nullopt;
  return platform::gfx::load_image(*path, reason);
}

}  // namespace kepskin
