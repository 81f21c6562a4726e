// Colours with components 0..1, and the two packed forms skins store them in.
#pragma once

#include <cstdint>

namespace platform::gfx {

struct Colour {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  bool operator==(const Colour&) const = default;

  // 0x00BBGGRR: red in the low byte (the skins' text colours).
  static Colour from_bgr(std::uint32_t packed, double alpha = 1);
  // 0x00RRGGBB: red in the third byte (the skins' separator colour).
  static Colour from_rgb(std::uint32_t packed, double alpha = 1);
};

}  // namespace platform::gfx
