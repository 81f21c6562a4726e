#include "skin_command_arguments.h"

#include <strings.h>

#include <cstdio>

#include "platform/gfx/fonts.h"

namespace kep_skin {

std::optional<SkinArguments> parse_skin_arguments(const std::vector<std::string>& arguments, const char* command) {
  SkinArguments parsed;
  bool have_folder = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::optional<std::string>* option = argument == "--scheme" ? &parsed.scheme
                                         : argument == "--out"  ? &parsed.out
                                                                : nullptr;
    if (option) {
      if (i + 1 >= arguments.size() || option->has_value()) {
        std::fprintf(stderr, "kep-skin %s: %s needs one value\n", command, argument.c_str());
        return std::nullopt;
      }
      *option = arguments[++i];
    } else if (!have_folder && !argument.starts_with("--")) {
      parsed.folder = argument;
      have_folder = true;
    } else {
      std::fprintf(stderr, "kep-skin %s: unexpected argument '%s'\n", command, argument.c_str());
      return std::nullopt;
    }
  }
  if (!have_folder) {
    std::fprintf(stderr, "kep-skin %s: no skin folder given\n", command);
    return std::nullopt;
  }
  return parsed;
}

int load_skin_view(const SkinArguments& arguments, kepskin::QBorderlessView& view) {
  const int code = view.setSkinFile(arguments.folder);
  if (code != kepskin::kSkinLoaded) {
    std::fprintf(stderr, "kep-skin: %s: %s (code %d)\n", arguments.folder.c_str(),
                 kepskin::skin_load_code_meaning(code), code);
    return -code;
  }
  if (!arguments.scheme) return 0;
  bool known = false;
  for (const char* name : kepskin::kSchemeNames) known = known || strcasecmp(name, arguments.scheme->c_str()) == 0;
  if (!known) {
    std::fprintf(stderr, "kep-skin: no scheme named '%s' (scheme_h1, scheme_h2, scheme_v1, scheme_v2)\n",
                 arguments.scheme->c_str());
    return 2;
  }
  view.setScheme(*arguments.scheme);
  return 0;
}

}  // namespace kep_skin
