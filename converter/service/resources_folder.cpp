#include "converter/service/resources_folder.h"

#include "platform/bundle.h"

namespace fs = std::filesystem;

std::optional<fs::path> find_resources_folder() {
  std::error_code error;
  auto has_tables = [&](const fs::path& folder) { return fs::exists(folder / "han.db", error); };
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    fs::path own = executable.parent_path().parent_path() / "Resources";
    if (has_tables(own)) return own;
  }
  if (auto bundle = platform::Bundle::find(kConverterBundleIdentifier)) {
    if (has_tables(bundle->resources_path())) return bundle->resources_path();
  }
  return std::nullopt;
}
