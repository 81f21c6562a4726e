// kep-skin info: what the candidate window reads from a skin folder and one of its schemes.
#include <cmath>
#include <cstdio>
#include <span>
#include <string>

#include "command_registry.h"
#include "skin_command_arguments.h"

namespace kep_skin {

namespace {

std::string hex_rgb(const platform::gfx::Colour& colour) {
  auto byte = [](double component) { return static_cast<unsigned>(std::lround(component * 255)); };
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(colour.red) & 0xFF, byte(colour.green) & 0xFF,
                byte(colour.blue) & 0xFF);
  return text;
}

std::string joined(std::span<const int> values) {
  std::string text;
  for (int value : values) text += (text.empty() ? "" : ",") + std::to_string(value);
  return text;
}

void print_scheme(const kepskin::QBorderlessView& view) {
  std::printf("scheme: %s (index %d)\n", view.schemeName->c_str(), view.schemeIndex);
  if (view.schemeIndex == 1 || view.schemeIndex == 3) {
    std::printf("layout: not read for this scheme; no pieces\n");
    return;
  }
  std::printf("layout_horizontal: %s\n", joined(view.layout_h).c_str());
  std::printf("layout_vertical: %s\n", joined(view.layout_v).c_str());
  std::printf("pinyin_marge: %s\n", joined(view.pyMarge).c_str());
  std::printf("zhongwen_marge: %s\n", joined(view.hzMarge).c_str());
  std::printf("separator: %s, insets %d,%d\n", view.sepColor ? hex_rgb(*view.sepColor).c_str() : "none", view.sep[1],
              view.sep[2]);
  if (view.transparentEnabled)
    std::printf("transparent: #%02X%02X%02X\n", view.transparentColor[2] & 0xFF, view.transparentColor[1] & 0xFF,
                view.transparentColor[0] & 0xFF);
  else
    std::printf("transparent: off\n");
  std::printf("opaque: %d\n", view.opaque);
  std::printf("anchor: %s\n", joined(view.anchor).c_str());
  if (view.pic.empty()) std::printf("picture: none\n");
  else if (view.srcImageWidth == 0) std::printf("picture: %s (not loaded)\n", view.pic.c_str());
  else std::printf("picture: %s %dx%d\n", view.pic.c_str(), view.srcImageWidth, view.srcImageHeight);
  for (std::size_t i = 0; i < view.rect.size(); ++i) {
    const auto& rect = view.rect[i];
    if (view.images[i]) std::printf("piece%zu: %d,%d %dx%d\n", i, rect.x, rect.y, rect.width, rect.height);
    else std::printf("piece%zu: empty\n", i);
  }
  std::printf("buttons: %zu\n", view._buttons.size());
}

int run_info(const std::vector<std::string>& arguments) {
  const auto parsed = parse_skin_arguments(arguments, "info");
  if (!parsed || parsed->out) {
    if (parsed) std::fprintf(stderr, "kep-skin info: --out belongs to pieces\n");
    return 2;
  }
  kepskin::QBorderlessView view;
  if (const int status = load_skin_view(*parsed, view); status != 0) return status;
  std::printf("name: %s\nversion: %s\nauthor: %s\ndate: %s\n", view.name.c_str(), view.version.c_str(),
              view.author.c_str(), view.date.c_str());
  std::printf("font_ch: %s -> %s\n", view.hzFont.name.c_str(), view.hzFont.family.c_str());
  std::printf("font_en: %s -> %s\n", view.pyFont.name.c_str(), view.pyFont.family.c_str());
  std::printf("font_size: %d\n", view.hzFontHeight);
  std::printf("zhongwen_color: %s\n", hex_rgb(view.hzColor).c_str());
  std::printf("pinyin_color: %s\n", hex_rgb(view.pyColor).c_str());
  std::printf("zhongwen_first_color: %s\n", hex_rgb(view.firstColor).c_str());
  std::printf("comphint_color: %s\n", hex_rgb(view.hintColor).c_str());
  if (parsed->scheme) print_scheme(view);
  return 0;
}

const bool registered = register_command("info", run_info, "info DIR [--scheme NAME]");

}  // namespace

}  // namespace kep_skin
