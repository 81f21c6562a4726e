// Pictures read from PNG and JPEG files, and the operations skins need on them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gfx/colour.h"
#include "platform/gfx/surface.h"

namespace platform::gfx {

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  bool operator==(const Rect&) const = default;
};

struct IntRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const IntRect&) const = default;
  bool empty() const { return width <= 0 || height <= 0; }
};

// Decodes PNG or JPEG bytes (told apart by their signature). The size in the header is checked
// against kMaxSide before any pixel is decoded; nullopt with the reason in `error` for another
// format, a damaged file or a picture too large.
std::optional<Surface> decode_image(std::string_view bytes, std::string* error);
std::optional<Surface> load_image(const std::filesystem::path& path, std::string* error);

// `rect` clamped to the picture (x and y into it, width and height cut at its edges); an empty
// rectangle when nothing of it lies inside.
IntRect clamp_to(const Surface& picture, IntRect rect);
// A copy of the clamped part of `picture`; nullopt when it is empty.
std::optional<Surface> sub_image(const Surface& picture, IntRect rect);

// Makes every opaque pixel of exactly `key` (red, green, blue 0..255) fully transparent.
void mask_colour(Surface& picture, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace platform::gfx
