#include <cairo.h>
#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstring>
#include <new>
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

// Where the writer's bytes go. A failed append is remembered rather than thrown: an exception
// must not cross libpng's C frames.
struct PngOutput {
  std::string bytes;
  bool failed = false;
};

void append_png_data(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
  if (output->failed) return;
  try {
    output->bytes.append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {
    output->failed = true;
  }
}

void flush_png_data(png_structp) {}

// One row of Cairo's premultiplied native-endian ARGB words as straight RGBA bytes, rounded as
// Surface::pixel reads them back.
void straight_rgba_row(const std::uint32_t* in, std::size_t width, std::uint8_t* out) {
  for (std::size_t x = 0; x < width; ++x, out += 4) {
    const std::uint32_t value = in[x];
    const std::uint32_t alpha = value >> 24;
    const std::uint32_t red = (value >> 16) & 0xFF;
    const std::uint32_t green = (value >> 8) & 0xFF;
    const std::uint32_t blue = value & 0xFF;
    if (alpha == 0xFF) {
      out[0] = static_cast<std::uint8_t>(red);
      out[1] = static_cast<std::uint8_t>(green);
      out[2] = static_cast<std::uint8_t>(blue);
    } else if (alpha == 0) {
      out[0] = out[1] = out[2] = 0;
    } else {
      out[0] = static_cast<std::uint8_t>((red * 255 + alpha / 2) / alpha);
      out[1] = static_cast<std::uint8_t>((green * 255 + alpha / 2) / alpha);
      out[2] = static_cast<std::uint8_t>((blue * 255 + alpha / 2) / alpha);
    }
    out[3] = static_cast<std::uint8_t>(alpha);
  }
}

struct PngJob {
  const unsigned char* data;
  std::size_t stride;
  std::uint32_t width;
  std::uint32_t height;
  int level;
  int filters;
  std::uint8_t* row;
};

// libpng reports errors by longjmp to here; everything with a destructor lives in the caller,
// so the jump skips none.
bool run_png_writer(png_structp png, png_infop info, const PngJob& job) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, job.width, job.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, job.level);
  if (job.filters != 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
  png_write_info(png, info);
  for (std::uint32_t y = 0; y < job.height; ++y) {
    straight_rgba_row(reinterpret_cast<const std::uint32_t*>(job.data + y * job.stride), job.width,
                      job.row);
    png_write_row(png, job.row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<std::string> encode_png(const Surface& picture, int level, int filters) {
  cairo_surface_t* source = picture.cairo();
  if (source == nullptr) return std::nullopt;
  cairo_surface_flush(source);
  PngJob job{};
  job.data = cairo_image_surface_get_data(source);
  job.stride = static_cast<std::size_t>(cairo_image_surface_get_stride(source));
  job.width = static_cast<std::uint32_t>(picture.width());
  job.height = static_cast<std::uint32_t>(picture.height());
  job.level = level;
  job.filters = filters;
  if (job.data == nullptr || job.width == 0 || job.height == 0) return std::nullopt;

  std::vector<std::uint8_t> row(static_cast<std::size_t>(job.width) * 4);
  job.row = row.data();
  PngOutput output;
  // Room for the pixels as they are, so a picture that does not shrink is appended in place.
  output.bytes.reserve(row.size() * job.height + job.height + 1024);

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return std::nullopt;
  }
  png_set_write_fn(png, &output, append_png_data, flush_png_data);
  const bool written = run_png_writer(png, info, job);
  png_destroy_write_struct(&png, &info);
  if (!written || output.failed) return std::nullopt;
  return std::move(output.bytes);
}

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
