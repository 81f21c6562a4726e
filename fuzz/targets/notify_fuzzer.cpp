// Notification datagrams as any local process may send them to an observer's socket.
#include "fuzz/fuzz_support.h"
#include "platform/notify.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view datagram = fuzz::as_view(data, size);
  auto notification = platform::notify::decode(datagram);
  if (notification) {
    // A datagram that decodes is exactly the encoding of what it decoded to.
    auto encoded = platform::notify::encode(*notification);
    if (!encoded || *encoded != datagram) __builtin_trap();
  }
  return 0;
}
