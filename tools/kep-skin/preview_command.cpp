// kep-skin preview: one sample page drawn with a skin's scheme, written as the layer picture.
//
// The page is what a preview shows: imeMode 0, skin drawing, fixed numbering ("1.输入法 2.输入
// ..."), the title "shu", page 1 of 1 and the caret at (0, 0) on the default screens, so the
// picture depends on the skin alone. The PNG has exactly the laid-out box's size.
#include <cstdio>
#include <filesystem>
#include <string>

#include "command_registry.h"
#include "skin_command_arguments.h"

namespace kep_skin {

namespace {

constexpr const char* kSampleCandidates = "输入法\x01输入\x01书\x01数";
constexpr const char* kSampleTitle = "shu";

int run_preview(const std::vector<std::string>& arguments) {
  const auto parsed = parse_skin_arguments(arguments, "preview");
  if (!parsed || !parsed->scheme || !parsed->out) {
    if (parsed) std::fprintf(stderr, "kep-skin preview: needs --scheme NAME and --out FILE.png\n");
    return 2;
  }
  kepskin::QBorderlessView view;
  if (const int status = load_skin_view(*parsed, view); status != 0) return status;
  view.imeMode = 0;
  view.schemeMode = 1;
  view.fixedNumbering = true;
  view.page = 1;
  view.total = 1;
  view.displayCandidateString(kSampleCandidates, kSampleTitle, {0, 0}, 0);
  if (!view.layerImage) {
    std::fprintf(stderr, "kep-skin preview: the page could not be drawn\n");
    return 1;
  }
  std::error_code error;
  if (!view.layerImage->write_png(*parsed->out, error)) {
    std::fprintf(stderr, "kep-skin preview: cannot write %s: %s\n", parsed->out->c_str(), error.message().c_str());
    return 1;
  }
  std::printf("box: %.0fx%.0f\n", view.boxSize.width, view.boxSize.height);
  for (const std::string& label : view.shownLabels) std::printf("label: '%s'\n", label.c_str());
  return 0;
}

const bool registered = register_command("preview", run_preview, "preview DIR --scheme NAME --out FILE.png");

}  // namespace

}  // namespace kep_skin
