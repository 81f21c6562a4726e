// Draws the pane's pictures at build time: the toolbar icon (an open book), and the table's
// marks for a cell dictionary's folder and for one of the system's own (a page with a letter).
// Usage: kep-dictionary-images OUT_FOLDER
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/gfx/canvas.h"
#include "platform/gfx/path.h"
#include "platform/gfx/surface.h"

namespace {

namespace gfx = platform::gfx;

bool save(const gfx::Surface& picture, const std::filesystem::path& path) {
  std::error_code error;
  if (picture.write_png(path, error)) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.message().c_str());
  return false;
}

// An open book on a rounded tile.
bool draw_icon(const std::filesystem::path& path) {
  constexpr int kSide = 32;
  auto picture = gfx::Surface::create(kSide, kSide);
  if (!picture) return false;
  {
    gfx::Canvas canvas(*picture);
    canvas.fill(gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.85, 0.55, 0.15, 1});
    canvas.stroke(gfx::Rect{2, 2, kSide - 4, kSide - 4}, {0.55, 0.30, 0.05, 1}, 1.5);
    canvas.fill(gfx::Rect{6, 8, 9, 16}, {1, 1, 1, 1});
    canvas.fill(gfx::Rect{17, 8, 9, 16}, {1, 1, 1, 1});
    for (double y : {12.0, 16.0, 20.0}) {
      canvas.line({8, y}, {13, y}, {0.4, 0.4, 0.4, 1}, 1);
      canvas.line({19, y}, {24, y}, {0.4, 0.4, 0.4, 1}, 1);
    }
  }
  return save(*picture, path);
}

// A page whose corner band tells the kind of dictionary apart.
bool draw_page(const std::filesystem::path& path, const gfx::Colour& band) {
  constexpr int kSide = 16;
  auto picture = gfx::Surface::create(kSide, kSide);
  if (!picture) return false;
  {
    gfx::Canvas canvas(*picture);
    canvas.fill(gfx::Rect{2, 1, 12, 14}, {1, 1, 1, 1});
    canvas.stroke(gfx::Rect{2, 1, 12, 14}, {0.3, 0.3, 0.3, 1}, 1);
    canvas.fill(gfx::Rect{3, 2, 10, 4}, band);
    canvas.line({4, 9}, {12, 9}, {0.5, 0.5, 0.5, 1}, 1);
    canvas.line({4, 12}, {12, 12}, {0.5, 0.5, 0.5, 1}, 1);
  }
  return save(*picture, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const bool drawn = draw_icon(folder / "Dictionary.png") &&
                     draw_page(folder / "DaruzDict.png", {0.20, 0.55, 0.25, 1}) &&
                     draw_page(folder / "KEPDict.png", {0.20, 0.40, 0.80, 1});
  return drawn ? 0 : 1;
}
