#include <cairo.h>
#include <png.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/gfx/image_codecs.h"

namespace platform::gfx::codecs {

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t big_endian_word(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// Reads the size from the IHDR chunk ourselves, so an oversized picture is refused before
// libpng allocates or inflates anything.
bool header_size(std::string_view bytes, std::uint32_t& width, std::uint32_t& height, std::string* error) {
  // signature, chunk length, "IHDR", width, height
  if (bytes.size() < 8 + 4 + 4 + 8 || big_endian_word(bytes, 8) != 13 || bytes.substr(12, 4) != "IHDR") {
    set_error(error, "PNG without a valid IHDR header");
    return false;
  }
  width = big_endian_word(bytes, 16);
  height = big_endian_word(bytes, 20);
  if (width < 1 || height < 1 || width > static_cast<std::uint32_t>(kMaxSide) ||
      height > static_cast<std::uint32_t>(kMaxSide)) {
    set_error(error, "PNG of " + std::to_string(width) + "x" + std::to_string(height) +
                         " pixels is outside the limit of " + std::to_string(kMaxSide) + " a side");
    return false;
  }
  return true;
}

}  // namespace

bool looks_like_png(std::string_view bytes) {
  return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

std::optional<Surface> decode_png(std::string_view bytes, std::string* error) {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (!header_size(bytes, width, height, error)) return std::nullopt;

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    set_error(error, std::string("damaged PNG: ") + image.message);
    png_image_free(&image);
    return std::nullopt;
  }
  if (image.width != width || image.height != height) {
    set_error(error, "damaged PNG: inconsistent size");
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> rgba(row_bytes * height);
  if (!png_image_finish_read(&image, nullptr, rgba.data(), static_cast<png_int_32>(row_bytes), nullptr)) {
    set_error(error, std::string("damaged PNG: ") + image.message);
    png_image_free(&image);
    return std::nullopt;
  }
  png_image_free(&image);

  std::optional<Surface> surface = Surface::create(static_cast<int>(width), static_cast<int>(height));
  if (!surface) {
    set_error(error, "out of memory for the PNG picture");
    return std::nullopt;
  }
  cairo_surface_t* target = surface->cairo();
  cairo_surface_flush(target);
  unsigned char* data = cairo_image_surface_get_data(target);
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(target));
  for (std::size_t y = 0; y < height; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(data + y * stride);
    const std::uint8_t* in = rgba.data() + y * row_bytes;
    for (std::size_t x = 0; x < width; ++x, in += 4) out[x] = premultiplied_argb(in[0], in[1], in[2], in[3]);
  }
  cairo_surface_mark_dirty(target);
  return surface;
}

}  // namespace platform::gfx::codecs
