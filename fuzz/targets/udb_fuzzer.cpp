// udb.lib, the user phrase file, read through a descriptor as the phrase database reads it.
#include <fcntl.h>
#include <unistd.h>

#include "CoreSource/user/udb_file.h"
#include "CoreSource/user/udb_line.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TempFile file(fuzz::as_view(data, size));
  int fd = ::open(file.path().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  UdbReadResult result;
  std::string error;
  if (ime_udb_read(fd, &result, &error)) {
    // Every phrase read must be one the writer can put back.
    for (const UdbLine& line : result.phrases) ime_udb_format_line(line.key, line.item);
  }
  ::close(fd);
  return 0;
}
