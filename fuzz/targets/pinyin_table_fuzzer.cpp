// pinyin.db and pinyin2.db, the single-character tables, checked and read as the loaders do.
#include "CoreSource/tables/pytable.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  ime_py_layout_t layout;
  std::unordered_map<std::string, std::int64_t> syllables;
  if (ime_py_parse_table(data, size, &layout, &syllables, &error)) {
    ime_py_record_t record;
    for (const auto& [syllable, offset] : syllables) {
      ime_py_decode_record(data, layout.main_size, offset, &record);
    }
    std::unordered_map<std::string, std::int64_t> hanzi;
    if (ime_py_read_hanzi_index(data, size, &hanzi, &error)) {
      for (const auto& [text, offset] : hanzi) {
        ime_py_decode_record(data, layout.main_size, offset, &record);
      }
    }
  }
  ime_py_check_ext_table(data, size, &error);
  return 0;
}
