// punct.def, the punctuation map a user may replace in the data folder.
#include "CoreSource/text/punct.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ime_punct_t table[IME_PUNCT_KEYS];
  ime_parse_punct(std::string(fuzz::as_view(data, size)), table);
  for (const ime_punct_t& entry : table) {
    if (entry.length > IME_PUNCT_TEXT_MAX) __builtin_trap();
  }
  return 0;
}
