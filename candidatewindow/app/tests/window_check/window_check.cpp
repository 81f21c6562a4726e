// kep-candidate-window-check: what the end-to-end script asks of a window's files, with no
// scripting language assumed on the machine.
//
//   picture PNG RRGGBB ALPHA
//                       exits 0 when the picture is a box drawn on a transparent margin (its four
//                       corners fully transparent) whose inside is mostly the colour RRGGBB at
//                       opacity ALPHA (0-255) or a little above (a shadow behind a translucent
//                       box adds to it); otherwise says what differs and exits 1.
//   state STATE         prints "visible=true|false", "frame=X,Y,W,H" and one "label=TEXT" line
//                       per label the window shows; exits 1 when the file is no window state.
//   ink PNG X Y W H     prints how many pixels of the rectangle (pixels from the top-left) differ
//                       from its top-right pixel (text on a row's background); exits 0 when some
//                       do, 1 when the rectangle is one colour or not inside the picture.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/gfx/image.h"
#include "platform/gfx/surface.h"
#include "platform/plist.h"

namespace {

constexpr int kTolerance = 3;
// What a shadow under a translucent box may add to its opacity.
constexpr int kShadowAlpha = 16;
// Text and the border take some of the box; the background colour must still fill most of it.
constexpr double kMinBackgroundShare = 0.3;

bool near(int a, int b) { return std::abs(a - b) <= kTolerance; }

int usage() {
  std::fprintf(stderr,
               "usage: kep-candidate-window-check picture PNG RRGGBB ALPHA | state STATE |\n"
               "       ink PNG X Y W H\n");
  return 2;
}

bool parse_colour(const std::string& text, const std::string& alpha, platform::gfx::Pixel& colour) {
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
      alpha.empty() || alpha.size() > 3 || alpha.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
  const unsigned long opacity = std::strtoul(alpha.c_str(), nullptr, 10);
  if (opacity > 255) return false;
  colour = {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(opacity)};
  return true;
}

double number(const platform::plist::Dictionary& dictionary, const char* key) {
  const platform::plist::Value* value = dictionary.find(key);
  return value != nullptr ? value->real_value().value_or(0) : 0;
}

int check_state(const char* path) {
  std::error_code error;
  std::optional<platform::plist::Value> state = platform::plist::read_file(path, error);
  if (!state || state->as_dictionary() == nullptr) {
    std::fprintf(stderr, "%s: no window state\n", path);
    return 1;
  }
  const platform::plist::Dictionary& dictionary = *state->as_dictionary();
  const platform::plist::Value* visible = dictionary.find("visible");
  std::printf("visible=%s\n", visible != nullptr && visible->bool_value().value_or(false) ? "true" : "false");
  if (const platform::plist::Value* frame = dictionary.find("frame"); frame && frame->as_dictionary()) {
    const platform::plist::Dictionary& rect = *frame->as_dictionary();
    std::printf("frame=%g,%g,%g,%g\n", number(rect, "x"), number(rect, "y"), number(rect, "width"),
                number(rect, "height"));
  }
  const platform::plist::Value* shows = dictionary.find("shows");
  if (shows == nullptr || shows->as_dictionary() == nullptr) return 0;
  const platform::plist::Value* labels = shows->as_dictionary()->find("labels");
  if (labels == nullptr || labels->as_array() == nullptr) return 0;
  for (const platform::plist::Value& label : *labels->as_array()) {
    if (const std::string* text = label.as_string()) std::printf("label=%s\n", text->c_str());
  }
  return 0;
}

int check_picture(const char* path, const char* colour, const char* alpha) {
  platform::gfx::Pixel background;
  if (!parse_colour(colour, alpha, background)) return usage();
  std::string error;
  std::optional<platform::gfx::Surface> picture = platform::gfx::load_image(path, &error);
  if (!picture) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return 1;
  }
  const int width = picture->width();
  const int height = picture->height();
  for (auto [x, y] : {std::pair{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}}) {
    const platform::gfx::Pixel corner = picture->pixel(x, y);
    if (corner.alpha != 0) {
      std::fprintf(stderr, "corner (%d,%d) is not transparent (alpha %d)\n", x, y, corner.alpha);
      return 1;
    }
  }
  long inside = 0;
  long matching = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const platform::gfx::Pixel pixel = picture->pixel(x, y);
      if (pixel.alpha == 0) continue;
      ++inside;
      if (pixel.alpha + kTolerance >= background.alpha && pixel.alpha <= background.alpha + kShadowAlpha &&
          near(pixel.red, background.red) &&
          near(pixel.green, background.green) && near(pixel.blue, background.blue)) {
        ++matching;
      }
    }
  }
  if (inside == 0 || static_cast<double>(matching) < kMinBackgroundShare * static_cast<double>(inside)) {
    std::fprintf(stderr, "%ld of %ld drawn pixels have the colour %s\n", matching, inside, colour);
    return 1;
  }
  std::printf("%dx%d: %ld of %ld drawn pixels have the background colour\n", width, height,
              matching, inside);
  return 0;
}

bool parse_side(const char* text, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < 0 || parsed > 1 << 16) return false;
  value = static_cast<int>(parsed);
  return true;
}

int check_ink(const char* path, char** sides) {
  int x0 = 0, y0 = 0, width = 0, height = 0;
  if (!parse_side(sides[0], x0) || !parse_side(sides[1], y0) || !parse_side(sides[2], width) ||
      !parse_side(sides[3], height) || width == 0 || height == 0) {
    return usage();
  }
  std::string error;
  std::optional<platform::gfx::Surface> picture = platform::gfx::load_image(path, &error);
  if (!picture) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return 1;
  }
  if (x0 + width > picture->width() || y0 + height > picture->height()) {
    std::fprintf(stderr, "the rectangle leaves the %dx%d picture\n", picture->width(), picture->height());
    return 1;
  }
  const platform::gfx::Pixel ground = picture->pixel(x0 + width - 1, y0);
  long marks = 0;
  for (int y = y0; y < y0 + height; ++y) {
    for (int x = x0; x < x0 + width; ++x) marks += picture->pixel(x, y) == ground ? 0 : 1;
  }
  std::printf("%ld\n", marks);
  return marks > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "picture" && argc == 5) return check_picture(argv[2], argv[3], argv[4]);
  if (command == "state" && argc == 3) return check_state(argv[2]);
  if (command == "ink" && argc == 7) return check_ink(argv[2], argv + 3);
  return usage();
}
