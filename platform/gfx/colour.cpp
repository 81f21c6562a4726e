#include "platform/gfx/colour.h"

namespace platform::gfx {

namespace {
double component(std::uint32_t packed, int shift) { return ((packed >> shift) & 0xFF) / 255.0; }
}  // namespace

Colour Colour::from_bgr(std::uint32_t packed, double alpha) {
  return {component(packed, 0), component(packed, 8), component(packed, 16), alpha};
}

Colour Colour::from_rgb(std::uint32_t packed, double alpha) {
  return {component(packed, 16), component(packed, 8), component(packed, 0), alpha};
}

}  // namespace platform::gfx
