#include "tav_folder.h"

#include "platform/files.h"

namespace tavgen {

bool write_tav_folder(const std::filesystem::path& root, const DanmodiFiles& danmodi, std::string* error) {
  std::error_code ec;
  for (const char* folder : {"cz", "main", "mpp", "py"}) {
    if (!platform::files::make_directories(root / folder, 0755, ec)) {
      *error = "cannot create " + (root / folder).string() + ": " + ec.message();
      return false;
    }
  }
  const std::pair<const char*, const std::string*> files[] = {
      {"py/danmodi.inx", &danmodi.index}, {"py/danmodi.lib", &danmodi.library}};
  for (const auto& [name, bytes] : files) {
    if (!platform::files::write_atomic(root / name, *bytes, ec)) {
      *error = "cannot write " + (root / name).string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

}  // namespace tavgen
