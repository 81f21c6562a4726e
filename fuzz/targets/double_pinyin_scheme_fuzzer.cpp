// Double-pinyin schemes (.spc) and the keys typed with them: the input is the scheme file and
// a key sequence.
#include "CoreSource/split/imesp.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fuzz::split_parts(fuzz::as_view(data, size), 2);
  fuzz::TempFile scheme(parts[0]);
  if (ime_load_sp_config(scheme.path().c_str()) != 0) return 0;
  static char syllables[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];
  static char keys_of[IME_MAX_SYLLABLES][IME_SYLLABLE_BYTES];
  int count = 0;
  for (std::string_view keys : {parts[1], std::string_view("zhongguorenmin;'aoeiv")}) {
    ime_get_py(keys.data(), static_cast<int>(keys.size()), syllables, keys_of, &count);
    if (count < 0 || count > IME_MAX_SYLLABLES) __builtin_trap();
  }
  return 0;
}
