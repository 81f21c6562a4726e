#include "platform/gfx/surface.h"

#include <cairo.h>
#include <png.h>

#include <string>

#include "platform/files.h"
#include "platform/gfx/image_codecs.h"

namespace platform::gfx {

namespace {

bool usable(cairo_surface_t* surface) {
  return surface != nullptr && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
         cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
}

}  // namespace

void Surface::Release::operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }

std::optional<Surface> Surface::create(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (!usable(surface)) {
    cairo_surface_destroy(surface);
    return std::nullopt;
  }
  return Surface(surface);
}

std::optional<Surface> Surface::adopt(cairo_surface_t* surface) {
  if (!usable(surface)) return std::nullopt;
  return Surface(cairo_surface_reference(surface));
}

Surface::Surface(const Surface& other) : surface_(nullptr) { *this = other; }

Surface& Surface::operator=(const Surface& other) {
  if (this == &other) return *this;
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, other.width(), other.height());
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, other.cairo(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(copy);
  surface_.reset(copy);
  return *this;
}

Surface::~Surface() = default;

int Surface::width() const { return surface_ ? cairo_image_surface_get_width(surface_.get()) : 0; }
int Surface::height() const { return surface_ ? cairo_image_surface_get_height(surface_.get()) : 0; }

Pixel Surface::pixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return {};
  cairo_surface_flush(surface_.get());
  const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
  const std::uint32_t value = reinterpret_cast<const std::uint32_t*>(row)[x];
  const std::uint8_t alpha = value >> 24;
  auto unpremultiply = [alpha](std::uint32_t premultiplied) -> std::uint8_t {
    return alpha == 0 ? 0 : static_cast<std::uint8_t>((premultiplied * 255 + alpha / 2) / alpha);
  };
  return {unpremultiply((value >> 16) & 0xFF), unpremultiply((value >> 8) & 0xFF), unpremultiply(value & 0xFF),
          alpha};
}

void Surface::set_pixel(int x, int y, Pixel pixel) {
  if (!surface_ || x < 0 || y < 0 || x >= width() || y >= height()) return;
  cairo_surface_flush(surface_.get());
  unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                       static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get());
  auto premultiply = [&pixel](std::uint8_t component) -> std::uint32_t {
    return (static_cast<std::uint32_t>(component) * pixel.alpha + 127) / 255;
  };
  reinterpret_cast<std::uint32_t*>(row)[x] = static_cast<std::uint32_t>(pixel.alpha) << 24 |
                                             premultiply(pixel.red) << 16 | premultiply(pixel.green) << 8 |
                                             premultiply(pixel.blue);
  cairo_surface_mark_dirty(surface_.get());
}

std::optional<std::string> Surface::png_bytes(PngCompression compression) const {
  if (!surface_) return std::nullopt;
  // Stored, unfiltered: measured clearly faster than zlib's fastest level, and a snapshot's
  // size does not matter.
  if (compression == PngCompression::Fast) return codecs::encode_png(*this, 0, PNG_FILTER_NONE);
  // zlib's default level with libpng's choice of filter per row.
  return codecs::encode_png(*this, 6, 0);
}

bool Surface::write_png(const std::filesystem::path& path, std::error_code& error) const {
  const std::optional<std::string> bytes = png_bytes();
  if (!bytes) {
    error = std::make_error_code(std::errc::io_error);
    return false;
  }
  return platform::files::write_atomic(path, *bytes, error);
}

}  // namespace platform::gfx
