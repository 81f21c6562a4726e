// Font families: the names the system's files give, mapped to families installed here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::gfx {

// True when fontconfig lists a family of exactly this name (any of its localized names).
bool font_exists(std::string_view family);

// The installed family that stands for `name`: the name itself when it is installed, else its
// alias ("Hei", "华文宋体", "微软雅黑" -> WenQuanYi Micro Hei; "Arial", "Lucida Grande" ->
// DejaVu Sans) when that is installed; nullopt otherwise.
std::optional<std::string> resolve_family(std::string_view name);

}  // namespace platform::gfx
