// A picture in memory: 32-bit pixels with premultiplied alpha (Cairo's ARGB32 image surface),
// what every window, piece and image of the system is drawn into and read back from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

typedef struct _cairo_surface cairo_surface_t;

namespace platform::gfx {

// A side of a surface or picture is at most this many pixels.
inline constexpr int kMaxSide = 4096;

// One pixel, not premultiplied, components 0..255.
struct Pixel {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 0;
  bool operator==(const Pixel&) const = default;
};

// How a PNG is packed: Small for files kept or shipped, Fast for snapshots rewritten many
// times a second, where the time to pack matters more than the size.
enum class PngCompression { Small, Fast };

class Surface {
 public:
  // A transparent surface; nullopt when a side is below 1 or above kMaxSide, or memory fails.
  static std::optional<Surface> create(int width, int height);
  // Takes a reference to an existing image surface (nullopt when it is not a usable one).
  static std::optional<Surface> adopt(cairo_surface_t* surface);

  Surface(const Surface& other);
  Surface& operator=(const Surface& other);
  Surface(Surface&&) noexcept = default;
  Surface& operator=(Surface&&) noexcept = default;
  ~Surface();

  int width() const;
  int height() const;
  cairo_surface_t* cairo() const { return surface_.get(); }

  // The pixel at (x, y) from the top-left, un-premultiplied; a transparent pixel outside.
  Pixel pixel(int x, int y) const;
  void set_pixel(int x, int y, Pixel pixel);

  // PNG bytes of the surface (8-bit RGBA, un-premultiplied).
  std::optional<std::string> png_bytes(PngCompression compression = PngCompression::Small) const;
  // Writes the PNG atomically (temporary file in the same folder, then rename).
  bool write_png(const std::filesystem::path& path, std::error_code& error) const;

 private:
  struct Release {
    void operator()(cairo_surface_t* surface) const;
  };
  explicit Surface(cairo_surface_t* surface) : surface_(surface) {}
  std::unique_ptr<cairo_surface_t, Release> surface_;
};

}  // namespace platform::gfx
