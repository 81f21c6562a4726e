// Commands sent to a program's control port.
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/ui/control_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  platform::ui::parse_control_command(fuzz::as_view(data, size), &error);
  return 0;
}
