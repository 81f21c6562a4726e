// vmode.txt and abbr.txt, the tables users edit by hand; the first byte picks the format.
#include "CoreSource/tables/vmode.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  auto format = (data[0] & 1) ? ime_vmode_format::Abbreviation : ime_vmode_format::VMode;
  ime_vmode_table_t table;
  ime_vmode_parse(fuzz::as_view(data + 1, size - 1), format, &table);
  for (const ime_vmode_entry_t& entry : table.entries) {
    if (table.find(entry.key) == nullptr) __builtin_trap();
  }
  return 0;
}
