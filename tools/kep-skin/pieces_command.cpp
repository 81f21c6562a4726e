// kep-skin pieces: the nine pieces a scheme's picture is cut into, written as PNG files.
#include <cstdio>
#include <filesystem>
#include <string>

#include "command_registry.h"
#include "skin_command_arguments.h"

namespace kep_skin {

namespace {

int run_pieces(const std::vector<std::string>& arguments) {
  const auto parsed = parse_skin_arguments(arguments, "pieces");
  if (!parsed || !parsed->scheme || !parsed->out) {
    if (parsed) std::fprintf(stderr, "kep-skin pieces: needs --scheme NAME and --out DIR\n");
    return 2;
  }
  kepskin::QBorderlessView view;
  if (const int status = load_skin_view(*parsed, view); status != 0) return status;
  const std::filesystem::path out(*parsed->out);
  std::error_code error;
  std::filesystem::create_directories(out, error);
  if (error) {
    std::fprintf(stderr, "kep-skin pieces: cannot create %s: %s\n", out.c_str(), error.message().c_str());
    return 1;
  }
  std::string empty;
  for (std::size_t i = 0; i < view.images.size(); ++i) {
    const std::string file = "piece" + std::to_string(i) + ".png";
    if (!view.images[i]) {
      empty += " piece" + std::to_string(i);
      continue;
    }
    if (!view.images[i]->write_png(out / file, error)) {
      std::fprintf(stderr, "kep-skin pieces: cannot write %s: %s\n", (out / file).c_str(), error.message().c_str());
      return 1;
    }
    std::printf("%s %dx%d\n", file.c_str(), view.images[i]->width(), view.images[i]->height());
  }
  std::printf("empty:%s\n", empty.empty() ? " none" : empty.c_str());
  return 0;
}

const bool registered = register_command("pieces", run_pieces, "pieces DIR --scheme NAME --out DIR");

}  // namespace

}  // namespace kep_skin
