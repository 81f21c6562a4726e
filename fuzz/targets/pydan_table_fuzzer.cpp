// The single-character table file (pydan.tab), loaded and then asked for every row's choice.
#include "fuzz/fuzz_support.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/syllable_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TempFile file(fuzz::as_view(data, size));
  sentence::FreeDan();
  sentence::LoadDanFrom(file.path().c_str());
  char output[sentence::kRepeatHzOutput];
  for (const char* syllable : sentence::kSyllableTexts) {
    sentence::GetRepeatHz("", syllable, output, 1);
  }
  sentence::FreeDan();
  return 0;
}
