// The decoders behind decode_image, one per format, the PNG writer behind Surface::png_bytes,
// and the pixel packing they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gfx/surface.h"

namespace platform::gfx::codecs {

bool looks_like_png(std::string_view bytes);
bool looks_like_jpeg(std::string_view bytes);

std::optional<Surface> decode_png(std::string_view bytes, std::string* error);
std::optional<Surface> decode_jpeg(std::string_view bytes, std::string* error);

// 8-bit RGBA PNG bytes of `picture`, un-premultiplied as Surface::pixel reads it back. `level` is
// zlib's (0 stores, 9 packs tightest); `filters` is libpng's PNG_FILTER_* mask, 0 for its own
// choice. nullopt when the picture is unusable or memory runs out.
std::optional<std::string> encode_png(const Surface& picture, int level, int filters);

// Cairo's native-endian premultiplied ARGB32 word for straight (non-premultiplied) components.
inline std::uint32_t premultiplied_argb(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                        std::uint8_t alpha) {
  auto scale = [alpha](std::uint8_t component) -> std::uint32_t {
    return (static_cast<std::uint32_t>(component) * alpha + 127) / 255;
  };
  return static_cast<std::uint32_t>(alpha) << 24 | scale(red) << 16 | scale(green) << 8 | scale(blue);
}

inline void set_error(std::string* error, std::string message) {
  if (error != nullptr) *error = std::move(message);
}

}  // namespace platform::gfx::codecs
