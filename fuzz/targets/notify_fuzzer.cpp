// Notification datagrams as any local process may send them to an observer's socket.
#include "fuzz/fuzz_support.h"
#include "platform/notify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view datagram = fuzz::as_view(data, size);
  auto notification = platform::notify::decode(datagram);
  if (notification) {
    // A datagram that decodes is the encoding of what it decoded to, but for the reserved
    // byte 5, which readers ignore.
    auto encoded = platform::notify::encode(*notification);
    if (!encoded || encoded->size() != datagram.size() ||
        encoded->compare(0, 5, datagram.substr(0, 5)) != 0 ||
        encoded->compare(6, std::string::npos, datagram.substr(6)) != 0) {
      __builtin_trap();
    }
  }
  return 0;
}
