// The text a code table is compiled from, read as the compiler reads it, and compiled in both
// versions when it is small enough to keep runs fast.
#include "fuzz/fuzz_support.h"
#include "preferences/codetable/code_source.h"
#include "preferences/codetable/table_build.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::as_view(data, size);
  fuzz::TempFile source(text);
  std::string error;
  std::vector<codetable::CodePair> pairs;
  long long count = codetable::TagSrc(&error, source.path(), &pairs);
  if (count >= 0 && static_cast<std::size_t>(count) != pairs.size()) __builtin_trap();
  codetable::IsUtf8File(source.path());
  if (count > 0 && size < 4096) {
    fuzz::TempDir out;
    codetable::BuildSQLPlug(source.path(), "t", out.path().string(), nullptr, &error);
    codetable::BuildCMPHPlug(source.path(), "c", out.path().string(), nullptr, &error);
  }
  return 0;
}
