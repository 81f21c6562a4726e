#include "platform/gfx/image.h"

#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/gfx/image_codecs.h"

namespace platform::gfx {

namespace {

// Far above any picture of kMaxSide a side that skins ship; a larger file is not read at all.
constexpr std::size_t kMaxImageFileBytes = std::size_t{64} << 20;

std::optional<std::string> read_bounded(const std::filesystem::path& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    codecs::set_error(error, path.string() + ": " + std::strerror(errno));
    return std::nullopt;
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      codecs::set_error(error, path.string() + ": " + std::strerror(errno));
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxImageFileBytes) {
      codecs::set_error(error, path.string() + ": picture file larger than " +
                                   std::to_string(kMaxImageFileBytes) + " bytes");
      ::close(fd);
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return bytes;
}

}  // namespace

std::optional<Surface> decode_image(std::string_view bytes, std::string* error) {
  if (codecs::looks_like_png(bytes)) return codecs::decode_png(bytes, error);
  if (codecs::looks_like_jpeg(bytes)) return codecs::decode_jpeg(bytes, error);
  codecs::set_error(error, "neither a PNG nor a JPEG picture");
  return std::nullopt;
}

std::optional<Surface> load_image(const std::filesystem::path& path, std::string* error) {
  const std::optional<std::string> bytes = read_bounded(path, error);
  if (!bytes) return std::nullopt;
  std::string reason;
  std::optional<Surface> picture = decode_image(*bytes, &reason);
  if (!picture) codecs::set_error(error, path.string() + ": " + reason);
  return picture;
}

IntRect clamp_to(const Surface& picture, IntRect rect) {
  // 64-bit so that x + width cannot overflow for any int inputs.
  const std::int64_t left = std::max<std::int64_t>(rect.x, 0);
  const std::int64_t top = std::max<std::int64_t>(rect.y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{rect.x} + rect.width, picture.width());
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{rect.y} + rect.height, picture.height());
  if (rect.width <= 0 || rect.height <= 0 || right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

std::optional<Surface> sub_image(const Surface& picture, IntRect rect) {
  const IntRect part = clamp_to(picture, rect);
  if (part.empty()) return std::nullopt;
  std::optional<Surface> copy = Surface::create(part.width, part.height);
  if (!copy) return std::nullopt;
  cairo_t* cr = cairo_create(copy->cairo());
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, picture.cairo(), -part.x, -part.y);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(copy->cairo());
  return copy;
}

void mask_colour(Surface& picture, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  cairo_surface_t* surface = picture.cairo();
  if (surface == nullptr) return;
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
  // Opaque pixels are stored unscaled, so the key compares directly with the stored word.
  const std::uint32_t key = codecs::premultiplied_argb(red, green, blue, 255);
  for (int y = 0; y < picture.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < picture.width(); ++x) {
      if (row[x] == key) row[x] = 0;
    }
  }
  cairo_surface_mark_dirty(surface);
}

}  // namespace platform::gfx
