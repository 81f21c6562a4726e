// A learned-word file (apr/youxian.lib, which users may edit by hand): loaded, asked for words,
// saved and loaded again.
#include <cstdlib>
#include <filesystem>

#include "CoreSource/base/datafolder.h"
#include "fuzz/fuzz_support.h"
#include "sentenceparser/core/learned_words.h"

namespace {
std::filesystem::path library;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  const char* data_folder = QAGetAppSupportPath();
  if (data_folder == nullptr) std::abort();
  std::filesystem::create_directories(std::filesystem::path(data_folder) / "apr");
  library = std::filesystem::path(data_folder) / "apr" / "youxian.lib";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::write_file(library, fuzz::as_view(data, size));
  sentence::LoadAutoCi(1);
  char output[512];
  int count = 0;
  for (const char* pinyin : {"ni-hao", "nh", "zhong-guo", "ap-men"}) {
    sentence::in_memci(pinyin, "", output, &count, 0);
    sentence::in_memci(pinyin, "AA", output, &count, 1);
  }
  sentence::IsUserDefineWord("nihao", output);
  if (sentence::SaveAutoCi(1) == 1) sentence::LoadAutoCi(1);
  return 0;
}
