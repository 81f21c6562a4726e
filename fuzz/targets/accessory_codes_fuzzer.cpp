// fzm.db, the accessory code table.
#include "CoreSource/tables/accode.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ime_acc_dict_t dict;
  ime_parse_acc_lines(std::string(fuzz::as_view(data, size)), &dict);
  for (const auto& [hanzi, codes] : dict) {
    for (const std::string& code : codes) {
      if (code.size() > IME_ACC_CODE_MAX) __builtin_trap();
    }
  }
  return 0;
}
