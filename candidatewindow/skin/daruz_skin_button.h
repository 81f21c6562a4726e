// One custom button of a skin scheme: its three pictures and the numbers that place it.
#pragma once

#include <filesystem>
#include <optional>

#include "candidatewindow/skin/ini_values.h"
#include "platform/gfx/surface.h"

namespace kepskin {

class DaruzSkinButton {
 public:
  // Reads button `index` of the scheme with index `mode` (0..3) from the skin in `path`. Answers
  // false when the button is hidden or lacks its align list or picture name; true otherwise, also
  // when a picture cannot be read (that picture is then missing).
  bool loadWithParser(const IniHandle* parser, const std::filesystem::path& path, int index, int mode);

  std::optional<platform::gfx::Surface> image;
  std::optional<platform::gfx::Surface> hoverImage;
  std::optional<platform::gfx::Surface> downImage;
  int leftMargin = 0;
  int topMargin = 0;
  int rightMargin = 0;
  int bottomMargin = 0;
  int topAlign = 0;
  int bottomAlign = 0;
  int leftAlign = 0;
  int rightAlign = 0;
  int alignArea = 0;
  int alignWindow = 0;
};

}  // namespace kepskin
