// Word lists a user imports into a dictionary folder, built by the dictionary-folder builder.
#include "celldict/dictbuilder.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TempFile list(fuzz::as_view(data, size));
  fuzz::TempDir folder;
  char message[512] = {};
  ime_build_stats_t stats;
  ime_build_dict_with_stats(list.path().c_str(), folder.path().c_str(), "1", message, &stats);
  if (stats.records + stats.rejected > stats.lines) __builtin_trap();
  return 0;
}
