// Writes small status bar skins for tests: a plain background and, per button, one plain
// picture per state in a colour of its own, so a rendered pixel tells which picture is shown.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "candidatewindow/skin/tests/skin_fixture.h"
#include "platform/gfx/surface.h"

namespace kepcandidatewindow::fixture {

inline constexpr int kBackgroundWidth = 200;
inline constexpr int kBackgroundHeight = 40;
inline constexpr int kButtonSide = 16;
inline constexpr platform::gfx::Pixel kBackgroundColour{90, 90, 90, 255};

using kepskin::fixture::plain_picture;
using kepskin::fixture::write_picture;

inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  kepskin::fixture::write_file(path, bytes);
}

// Colour of picture `state` (0..2) of button number `button`: no two alike, none the background's.
inline platform::gfx::Pixel button_colour(int button, int state) {
  return {static_cast<std::uint8_t>(20 + button * 20), static_cast<std::uint8_t>(100 + state * 60),
          static_cast<std::uint8_t>(200 - state * 50), 255};
}

// Button `name` (number `button`) shown at (button * 18, 4): "<name>.png,<name>_1.png" plus the
// extra keys given (one "key=value" per line).
inline std::string button_section(std::string_view name, int button, std::string_view extra = {}) {
  std::string text;
  text += std::string(name) + "_display=1\n";
  text += std::string(name) + "=" + std::string(name) + "_0.png, " + std::string(name) + "_1.png\n";
  text += std::string(name) + "_pos=" + std::to_string(button * 18) + ",4\n";
  text += extra;
  return text;
}

inline void write_button_pictures(const std::filesystem::path& folder, std::string_view name, int button) {
  for (int state = 0; state < 3; ++state) {
    write_picture(folder / (std::string(name) + "_" + std::to_string(state) + ".png"),
                  plain_picture(kButtonSide, kButtonSide, button_colour(button, state)));
  }
}

// A skin with the background and the pictures of every named button; `ini` is its skin.ini.
inline void write_status_skin(const std::filesystem::path& folder, std::string_view ini,
                              std::initializer_list<std::string_view> buttons) {
  write_picture(folder / "bar.png", plain_picture(kBackgroundWidth, kBackgroundHeight, kBackgroundColour));
  int button = 0;
  for (std::string_view name : buttons) write_button_pictures(folder, name, button++);
  write_file(folder / "skin.ini", ini);
}

}  // namespace kepcandidatewindow::fixture
