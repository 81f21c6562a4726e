// Cell dictionaries a user imports: the header is loaded and the body exported into the
// Dictionary folder of the scratch data folder, as the updater and the dictionary pane do.
#include "celldict/scel_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TempFile file(fuzz::as_view(data, size));
  ScelReader reader;
  if (reader.load(file.path()) != SCEL_OK) return 0;
  ScelExportStats stats;
  const int result = reader.exportTo("fuzz.scel", &stats);
  if (stats.words_written + stats.not_gbk > stats.words_read) __builtin_trap();
  if (result == 0 && stats.records > stats.words_written) __builtin_trap();
  return 0;
}
