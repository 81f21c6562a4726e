// Writes small skin folders for tests: skin.ini in a chosen encoding and PNG pictures whose
// nine cells each have a colour of their own.
#pragma once

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/gfx/surface.h"
#include "platform/text.h"

namespace kepskin::fixture {

enum class IniEncoding { Utf8, Utf8Bom, Utf16LEBom, Utf16BEBom, Gb18030 };

inline std::string encode_ini(std::string_view utf8_text, IniEncoding encoding) {
  using platform::text::Encoding;
  auto convert = [&](Encoding to) {
    auto bytes = platform::text::from_utf8(utf8_text, to);
    if (!bytes) throw std::runtime_error("fixture text not representable");
    return *bytes;
  };
  switch (encoding) {
    case IniEncoding::Utf8: return std::string(utf8_text);
    case IniEncoding::Utf8Bom: return "\xEF\xBB\xBF" + std::string(utf8_text);
    case IniEncoding::Utf16LEBom: return "\xFF\xFE" + convert(Encoding::Utf16LE);
    case IniEncoding::Utf16BEBom: return "\xFE\xFF" + convert(Encoding::Utf16BE);
    case IniEncoding::Gb18030: return convert(Encoding::Gb18030);
  }
  return {};
}

inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  if (!platform::files::write_atomic(path, bytes, error)) throw std::runtime_error("cannot write " + path.string());
}

inline void write_skin_ini(const std::filesystem::path& folder, std::string_view utf8_text,
                           IniEncoding encoding = IniEncoding::Utf8) {
  std::filesystem::create_directories(folder);
  write_file(folder / "skin.ini", encode_ini(utf8_text, encoding));
}

// Cell i (row * 3 + column) of a grid picture.
inline platform::gfx::Pixel cell_colour(int cell) {
  static constexpr std::array<platform::gfx::Pixel, 9> kColours{{
      {255, 0, 0, 255},
      {0, 255, 0, 255},
      {0, 0, 255, 255},
      {255, 255, 0, 255},
      {0, 255, 255, 255},
      {255, 0, 255, 255},
      {128, 0, 0, 255},
      {0, 128, 0, 255},
      {0, 0, 128, 255},
  }};
  return kColours.at(static_cast<std::size_t>(cell));
}

// A width x height picture whose borders (left, right, top, bottom) split it into nine cells,
// each filled with cell_colour(cell).
inline platform::gfx::Surface grid_picture(int width, int height, int left, int right, int top, int bottom) {
  auto picture = platform::gfx::Surface::create(width, height);
  if (!picture) throw std::runtime_error("fixture picture size");
  for (int y = 0; y < height; ++y) {
    const int row = y < top ? 0 : (y >= height - bottom ? 2 : 1);
    for (int x = 0; x < width; ++x) {
      const int column = x < left ? 0 : (x >= width - right ? 2 : 1);
      picture->set_pixel(x, y, cell_colour(row * 3 + column));
    }
  }
  return *picture;
}

inline platform::gfx::Surface plain_picture(int width, int height, platform::gfx::Pixel colour) {
  auto picture = platform::gfx::Surface::create(width, height);
  if (!picture) throw std::runtime_error("fixture picture size");
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture->set_pixel(x, y, colour);
  return *picture;
}

inline void write_picture(const std::filesystem::path& path, const platform::gfx::Surface& picture) {
  std::filesystem::create_directories(path.parent_path());
  std::error_code error;
  if (!picture.write_png(path, error)) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace kepskin::fixture
