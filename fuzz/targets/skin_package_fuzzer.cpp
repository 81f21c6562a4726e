// Skin package archives: every entry checked, unpacked aside, nothing left on a refusal.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "candidatewindow/skin/skin_package.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TempFile archive(fuzz::as_view(data, size));
  fuzz::TempDir folder;
  const std::filesystem::path destination = folder.path() / "skin";
  std::string message;
  const int status = kepskin::extractSkinFile(archive.path(), destination.string(), message);
  // A refused package leaves nothing behind.
  if (status != 0 && !std::filesystem::is_empty(folder.path())) std::abort();
  return 0;
}
