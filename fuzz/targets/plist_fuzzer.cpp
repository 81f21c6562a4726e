// Property lists from outside: imkkep.plist, Info.plist files, window states; XML or binary.
#include "fuzz/fuzz_support.h"
#include "platform/plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = platform::plist::parse(fuzz::as_view(data, size));
  if (value) {
    // Our writer runs over whatever was read, and its output goes back through the reader.
    platform::plist::parse(platform::plist::to_xml(*value));
    value->integer_value();
    value->bool_value();
    value->real_value();
    value->string_value();
  }
  return 0;
}
