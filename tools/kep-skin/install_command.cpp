// kep-skin install FILE.ssf: installs a skin package into the user's Skins folder.
#include <cstdio>
#include <string>
#include <vector>

#include "candidatewindow/skin/skin_package.h"
#include "command_registry.h"

namespace {

int run(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::fprintf(stderr, "usage: kep-skin install FILE.ssf\n");
    return 2;
  }
  std::string error;
  const auto folder = kepskin::skins_folder(error);
  if (!folder) {
    std::fprintf(stderr, "kep-skin install: no Skins folder: %s\n", error.c_str());
    return 1;
  }
  const auto installed = kepskin::install_skin_package(arguments[0], *folder, error);
  if (!installed) {
    std::fprintf(stderr, "kep-skin install: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", installed->c_str());
  return 0;
}

const bool registered = kep_skin::register_command("install", run, "install FILE.ssf");

}  // namespace
