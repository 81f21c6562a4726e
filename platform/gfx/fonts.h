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

// Drops the process-wide font caches (Pango's font map, Cairo's static data, fontconfig's
// configuration), so a leak checker at exit sees only real leaks. Call it once, after the last
// drawing, with no layout or font object alive; fonts work again afterwards but reload everything.
void release_font_caches();

}  // namespace platform::gfx
