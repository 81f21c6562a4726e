// Payloads of the input-method framework as a client may send them: the hello and the menu
// readers, and the reads every request makes, over whatever bytes arrive.
#include "fuzz/fuzz_support.h"
#include "platform/imk/wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::as_view(data, size);
  {
    platform::imk::wire::Reader reader(bytes);
    platform::imk::ClientInfo info;
    if (platform::imk::wire::read_client_info(reader, info) && reader.complete()) {
      // What was read writes back to the same bytes.
      platform::imk::wire::Writer writer;
      platform::imk::wire::write_client_info(writer, info);
      platform::imk::wire::Reader again(writer.bytes());
      platform::imk::ClientInfo reread;
      if (!platform::imk::wire::read_client_info(again, reread) || !again.complete()) {
        __builtin_trap();
      }
    }
  }
  {
    platform::imk::wire::Reader reader(bytes);
    std::vector<platform::imk::MenuItem> items;
    platform::imk::wire::read_menu(reader, items);
  }
  {
    // A key event: characters, key code, flags, Caps Lock.
    platform::imk::wire::Reader reader(bytes);
    std::string characters;
    std::uint16_t key_code = 0;
    std::uint64_t flags = 0;
    std::uint8_t caps = 0;
    reader.text(characters);
    reader.u16(key_code);
    reader.u64(flags);
    reader.u8(caps);
    platform::imk::Range range;
    platform::imk::Rect rect;
    reader.range(range);
    reader.rect(rect);
  }
  return 0;
}
