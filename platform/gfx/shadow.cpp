#include "platform/gfx/shadow.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::gfx {

namespace {

// One box-blur pass of half-width `radius` over `count` values spaced `step` apart, with a
// running sum so the cost does not depend on the radius.
void box_pass(std::vector<float>& values, std::size_t first, std::size_t count, std::size_t step, int radius,
              std::vector<float>& scratch) {
  scratch.assign(count, 0);
  const double window = 2.0 * radius + 1;
  double sum = 0;
  auto at = [&](std::ptrdiff_t i) -> double {
    return (i < 0 || i >= static_cast<std::ptrdiff_t>(count)) ? 0.0 : values[first + static_cast<std::size_t>(i) * step];
  };
  for (std::ptrdiff_t i = -radius; i <= radius; ++i) sum += at(i);
  for (std::size_t i = 0; i < count; ++i) {
    scratch[i] = static_cast<float>(sum / window);
    const auto index = static_cast<std::ptrdiff_t>(i);
    sum += at(index + radius + 1) - at(index - radius);
  }
  for (std::size_t i = 0; i < count; ++i) values[first + i * step] = scratch[i];
}

// Three box passes each way approximate a Gaussian whose reach is about `radius`.
void blur(std::vector<float>& alpha, std::size_t width, std::size_t height, int radius) {
  const int pass_radius = std::max(1, radius / 3);
  std::vector<float> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (std::size_t y = 0; y < height; ++y) box_pass(alpha, y * width, width, 1, pass_radius, scratch);
    for (std::size_t x = 0; x < width; ++x) box_pass(alpha, x, height, width, pass_radius, scratch);
  }
}

}  // namespace

std::optional<Surface> shadow_of(const Surface& picture, const Shadow& shadow) {
  if (picture.cairo() == nullptr) return std::nullopt;
  const int radius = std::clamp(shadow.blur, 0, kMaxShadowBlur);
  std::optional<Surface> result = Surface::create(picture.width() + 2 * radius, picture.height() + 2 * radius);
  if (!result) return std::nullopt;
  const auto width = static_cast<std::size_t>(result->width());
  const auto height = static_cast<std::size_t>(result->height());

  cairo_surface_t* source = picture.cairo();
  cairo_surface_flush(source);
  const unsigned char* source_data = cairo_image_surface_get_data(source);
  const auto source_stride = static_cast<std::size_t>(cairo_image_surface_get_stride(source));
  std::vector<float> alpha(width * height, 0);
  for (std::size_t y = 0; y < static_cast<std::size_t>(picture.height()); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(source_data + y * source_stride);
    for (std::size_t x = 0; x < static_cast<std::size_t>(picture.width()); ++x) {
      alpha[(y + radius) * width + x + radius] = static_cast<float>(row[x] >> 24) / 255.0f;
    }
  }
  if (radius > 0) blur(alpha, width, height, radius);

  const double strength = std::clamp(shadow.colour.alpha, 0.0, 1.0);
  const auto channel = [](double component) { return std::clamp(component, 0.0, 1.0); };
  cairo_surface_t* target = result->cairo();
  unsigned char* data = cairo_image_surface_get_data(target);
  const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(target));
  for (std::size_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (std::size_t x = 0; x < width; ++x) {
      const double a = std::clamp(static_cast<double>(alpha[y * width + x]), 0.0, 1.0) * strength;
      auto premultiplied = [a](double component) {
        return static_cast<std::uint32_t>(std::lround(component * a * 255));
      };
      row[x] = static_cast<std::uint32_t>(std::lround(a * 255)) << 24 |
               premultiplied(channel(shadow.colour.red)) << 16 | premultiplied(channel(shadow.colour.green)) << 8 |
               premultiplied(channel(shadow.colour.blue));
    }
  }
  cairo_surface_mark_dirty(target);
  return result;
}

bool draw_with_shadow(Canvas& canvas, const Surface& picture, Point origin, const Shadow& shadow) {
  const std::optional<Surface> shade = shadow_of(picture, shadow);
  if (!shade) return false;
  const double grow = (shade->width() - picture.width()) / 2;
  canvas.draw(*shade, {origin.x + shadow.dx - grow, origin.y + shadow.dy - grow, static_cast<double>(shade->width()),
                       static_cast<double>(shade->height())});
  canvas.draw(picture, {origin.x, origin.y, static_cast<double>(picture.width()),
                        static_cast<double>(picture.height())});
  return true;
}

}  // namespace platform::gfx
