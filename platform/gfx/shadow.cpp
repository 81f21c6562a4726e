#include "platform/gfx/shadow.h"

#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::gfx {

namespace {

// Box-blur passes of half-width `radius` keep a running sum, so the cost does not depend on the
// radius; what lies outside the picture counts as transparent. Each sum is updated by the
// difference of the value entering and the value leaving, in that order, so both directions
// give the same values as a pass over one line at a time would.

// Along each row.
void blur_rows(const std::vector<float>& in, std::vector<float>& out, std::size_t width,
               std::size_t height, int radius) {
  const double window = 2.0 * radius + 1;
  const auto count = static_cast<std::ptrdiff_t>(width);
  for (std::size_t y = 0; y < height; ++y) {
    const float* line = in.data() + y * width;
    float* result = out.data() + y * width;
    double sum = 0;
    for (std::ptrdiff_t i = 0; i <= radius && i < count; ++i) sum += line[i];
    for (std::ptrdiff_t i = 0; i < count; ++i) {
      result[i] = static_cast<float>(sum / window);
      const std::ptrdiff_t entering = i + radius + 1;
      const std::ptrdiff_t leaving = i - radius;
      const double added = entering < count ? static_cast<double>(line[entering]) : 0.0;
      const double removed = leaving >= 0 ? static_cast<double>(line[leaving]) : 0.0;
      sum += added - removed;
    }
  }
}

// Along each column, all columns at once so that memory is walked row by row.
void blur_columns(const std::vector<float>& in, std::vector<float>& out, std::size_t width,
                  std::size_t height, int radius, std::vector<double>& sums) {
  const double window = 2.0 * radius + 1;
  const auto count = static_cast<std::ptrdiff_t>(height);
  sums.assign(width, 0.0);
  for (std::ptrdiff_t j = 0; j <= radius && j < count; ++j) {
    const float* line = in.data() + static_cast<std::size_t>(j) * width;
    for (std::size_t x = 0; x < width; ++x) sums[x] += line[x];
  }
  for (std::ptrdiff_t i = 0; i < count; ++i) {
    float* result = out.data() + static_cast<std::size_t>(i) * width;
    for (std::size_t x = 0; x < width; ++x) result[x] = static_cast<float>(sums[x] / window);
    const std::ptrdiff_t entering = i + radius + 1;
    const std::ptrdiff_t leaving = i - radius;
    const float* added = entering < count ? in.data() + static_cast<std::size_t>(entering) * width : nullptr;
    const float* removed = leaving >= 0 ? in.data() + static_cast<std::size_t>(leaving) * width : nullptr;
    for (std::size_t x = 0; x < width; ++x) {
      const double in_value = added ? static_cast<double>(added[x]) : 0.0;
      const double out_value = removed ? static_cast<double>(removed[x]) : 0.0;
      sums[x] += in_value - out_value;
    }
  }
}

// Three box passes each way approximate a Gaussian whose reach is about `radius`.
void blur(std::vector<float>& alpha, std::size_t width, std::size_t height, int radius) {
  const int pass_radius = std::max(1, radius / 3);
  std::vector<float> scratch(alpha.size());
  std::vector<double> sums;
  for (int pass = 0; pass < 3; ++pass) {
    blur_rows(alpha, scratch, width, height, pass_radius);
    blur_columns(scratch, alpha, width, height, pass_radius, sums);
  }
}

// std::lround for values that cannot be negative, without the library call per component.
std::uint32_t round_up_from_half(double value) {
  auto whole = static_cast<std::uint32_t>(value);
  if (value - whole >= 0.5) ++whole;
  return whole;
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
  // Runs of one coverage (the inside of a box, the clear margin) reuse the pixel just made.
  float last_coverage = -1;
  std::uint32_t last_pixel = 0;
  for (std::size_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (std::size_t x = 0; x < width; ++x) {
      const float coverage = alpha[y * width + x];
      if (coverage != last_coverage) {
        const double a = std::clamp(static_cast<double>(coverage), 0.0, 1.0) * strength;
        auto premultiplied = [a](double component) { return round_up_from_half(component * a * 255); };
        last_pixel = round_up_from_half(a * 255) << 24 | premultiplied(channel(shadow.colour.red)) << 16 |
                     premultiplied(channel(shadow.colour.green)) << 8 | premultiplied(channel(shadow.colour.blue));
        last_coverage = coverage;
      }
      row[x] = last_pixel;
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
