#include "candidatewindow/skin/daruz_skin_button.h"

#include <array>
#include <string>

#include "candidatewindow/skin/skin_log.h"
#include "candidatewindow/skin/skin_paths.h"

namespace kepskin {

namespace {

std::string button_key(int index, const char* suffix) { return "custom" + std::to_string(index) + suffix; }

std::optional<platform::gfx::Surface> read_picture(const std::filesystem::path& folder, const char* name) {
  std::string reason;
  auto picture = CreateImageFromPath(folder, name, &reason);
  if (!picture) skin_log("skin button picture '%s': %s", name, reason.c_str());
  return picture;
}

// The extra picture of a state, or a copy of the normal one when the skin names none or it
// cannot be read.
std::optional<platform::gfx::Surface> state_picture(const IniHandle* parser, const std::filesystem::path& path,
                                                    int mode, const std::string& key,
                                                    const std::optional<platform::gfx::Surface>& normal) {
  std::optional<platform::gfx::Surface> picture;
  if (const char* name = _iniparser_getstring(parser, mode, key, nullptr)) picture = read_picture(path, name);
  if (!picture && normal && normal->width() > 0 && normal->height() > 0) picture = *normal;
  return picture;
}

}  // namespace

bool DaruzSkinButton::loadWithParser(const IniHandle* parser, const std::filesystem::path& path, int index,
                                     int mode) {
  if (_iniparser_getint(parser, mode, button_key(index, "_display"), 0) == 0) return false;
  const char* align = _iniparser_getstring(parser, mode, button_key(index, "_align"), nullptr);
  if (!align) return false;
  std::array<int, 10> values{};
  GetIntItems(align, values);
  topMargin = values[0];
  bottomMargin = values[1];
  leftMargin = values[2];
  rightMargin = values[3];
  topAlign = values[4];
  bottomAlign = values[5];
  leftAlign = values[6];
  rightAlign = values[7];
  alignArea = values[8];
  alignWindow = values[9];
  const char* name = _iniparser_getstring(parser, mode, button_key(index, ""), nullptr);
  if (!name) return false;
  image = read_picture(path, name);
  hoverImage = state_picture(parser, path, mode, button_key(index, "_hover"), image);
  downImage = state_picture(parser, path, mode, button_key(index, "_down"), image);
  return true;
}

}  // namespace kepskin
