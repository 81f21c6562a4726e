#include "platform/gfx/fonts.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <memory>
#include <utility>

namespace platform::gfx {

namespace {

// The system's files name fonts of another platform; these installed families stand in for them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kAliases = {{
    {"Hei", "WenQuanYi Micro Hei"},
    {"华文宋体", "WenQuanYi Micro Hei"},
    {"微软雅黑", "WenQuanYi Micro Hei"},
    {"Arial", "DejaVu Sans"},
    {"Lucida Grande", "DejaVu Sans"},
}};

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetDeleter {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};

bool has_family(const FcPattern* font, std::string_view family) {
  FcChar8* value = nullptr;
  for (int index = 0; FcPatternGetString(font, FC_FAMILY, index, &value) == FcResultMatch; ++index) {
    if (std::string_view(reinterpret_cast<const char*>(value)) == family) return true;
  }
  return false;
}

}  // namespace

bool font_exists(std::string_view family) {
  if (family.empty() || family.find('\0') != std::string_view::npos) return false;
  if (!FcInit()) return false;
  const std::string name(family);
  std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
  if (!pattern || !objects) return false;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  // The listing compares names loosely (case, blanks); keep only fonts naming the family exactly.
  std::unique_ptr<FcFontSet, FontSetDeleter> fonts(FcFontList(nullptr, pattern.get(), objects.get()));
  if (!fonts) return false;
  for (int i = 0; i < fonts->nfont; ++i) {
    if (has_family(fonts->fonts[i], family)) return true;
  }
  return false;
}

std::optional<std::string> resolve_family(std::string_view name) {
  if (font_exists(name)) return std::string(name);
  for (const auto& [alias, family] : kAliases) {
    if (alias == name && font_exists(family)) return std::string(family);
  }
  return std::nullopt;
}

}  // namespace platform::gfx
