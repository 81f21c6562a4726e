// The converter's tables: han.db, corefix1.db, corefix2.db and a user fix file, loaded as the
// service loads them, then a text converted through all of them. The input is the four files
// and the text.
#include "converter/cclog.h"
#include "converter/chinese_converter.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  converter::set_log_sink([](const char*) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fuzz::split_parts(fuzz::as_view(data, size), 5);
  fuzz::TempDir dir;
  const char* names[] = {"han.db", "corefix1.db", "corefix2.db", "user.fix"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!fuzz::write_file(dir.path() / names[i], parts[i])) return 0;
  }
  auto converter = converter::ChineseConverter::initWithFixFiles(dir.path(), {dir.path() / "user.fix"});
  if (!converter) return 0;
  converter->dbVersion();
  converter->convertString(parts[4]);
  converter->convertString("头发干净后来发现𠀀发");
  return 0;
}
