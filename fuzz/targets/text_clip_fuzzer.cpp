// Clipping of arbitrary bytes into units. The scratch data folder holds a two-word library
// whose words chain into each other (中国, 国中), so long pending runs and the limit of the unit
// table are reached as well as the single-character fallback.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "sentenceparser/core/char_classes.h"
#include "sentenceparser/core/chr_substitution.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/text_clip.h"

namespace {

fuzz::TempDir* folder = nullptr;

// cz/cz2: one record per first character, the second character stored under the substitution.
void write_chained_words() {
  const char* words[] = {"\xB9\xFA\xD6\xD0", "\xD6\xD0\xB9\xFA"};  // 国中 and 中国, by number
  std::string index;
  std::string records;
  for (int record = 0; record < 2; ++record) {
    const int number = sentence::ComputeGbNo(words[record]);
    if (index.size() < static_cast<std::size_t>(number + 1) * 4) index.resize((number + 1) * 4, '\0');
    index[number * 4] = static_cast<char>(record);
    index[number * 4 + 2] = 1;
    std::string key(words[record] + 2, 2);
    sentence::apply_chr_substitution(reinterpret_cast<unsigned char*>(key.data()), key.size(), true);
    records += key;
  }
  std::filesystem::create_directories(folder->path() / "cz");
  if (!fuzz::write_file(folder->path() / "cz" / "cz2.inx", index) ||
      !fuzz::write_file(folder->path() / "cz" / "cz2.lib", records)) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = new fuzz::TempDir();
  write_chained_words();
  std::snprintf(sentence::myFullPath, sizeof sentence::myFullPath, "%s/", folder->path().c_str());
  sentence::InputProperty.DataPath = sentence::myFullPath;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  char out[sentence::kHzClipOutputSize];
  if (sentence::HzClip(text.c_str(), out, sizeof out) == 1) {
    // No more than the clipped bytes and one separator between units.
    if (std::strlen(out) > 2 * std::min(std::strlen(text.c_str()), sentence::kClipTextMax)) {
      std::abort();
    }
  }
  char small[16];
  sentence::HzClip(text.c_str(), small, sizeof small);
  return 0;
}
