// hzdb.db with its index hzdb.idx: the input is the two files. Records are also read alone.
#include "CoreSource/tables/hzinfo.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fuzz::split_parts(fuzz::as_view(data, size), 2);
  QAHzInfoEntry entry;
  QAHzInfoParseRecord(parts[0], &entry);

  fuzz::TempDir dir;
  std::filesystem::path database = dir.path() / "hzdb.db";
  if (!fuzz::write_file(database, parts[0]) || !fuzz::write_file(dir.path() / "hzdb.idx", parts[1])) {
    return 0;
  }
  QAHzInfo* handle = QAHzInfoOpen(database.c_str());
  if (handle) {
    for (const char* hanzi : {"中", "行", "的", "a", ""}) QAHzInfoLookup(handle, hanzi, &entry);
    char out[QAHZINFO_RECORD_MAX + 1];
    std::size_t length = sizeof out;
    QAHzInfoQuery(handle, parts[0].data(), std::min<std::size_t>(parts[0].size(), 8), out, &length);
    QAHzInfoClose(handle);
  }
  return 0;
}
