// Message-port packets as a peer may send them: the input is a run of packets.
#include "fuzz/fuzz_support.h"
#include "platform/port_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::ports::MessageAssembler assembler;
  for (std::string_view packet : fuzz::split_parts(fuzz::as_view(data, size), 64)) {
    auto result = assembler.feed(packet);
    if (result == platform::ports::MessageAssembler::Result::Malformed) break;
    if (result == platform::ports::MessageAssembler::Result::Complete) {
      platform::ports::Message message = assembler.take();
      if (message.payload.size() > platform::ports::max_payload(message.kind)) __builtin_trap();
    }
  }
  return 0;
}
