// kep-skin: reads, installs and cuts skin packages the way the candidate window does.
#include <cstdio>
#include <string>
#include <vector>

#include "command_registry.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: kep-skin COMMAND ARGUMENTS\n");
  for (const auto& [name, entry] : kep_skin::commands()) std::fprintf(stderr, "  kep-skin %s\n", entry.usage.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const auto found = kep_skin::commands().find(argv[1]);
  if (found == kep_skin::commands().end()) {
    std::fprintf(stderr, "kep-skin: unknown command '%s'\n", argv[1]);
    return usage();
  }
  return found->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
