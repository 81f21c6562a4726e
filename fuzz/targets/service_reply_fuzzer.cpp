// Replies of the helper services ("%03d:" and a payload) as the engine's clients read them.
#include "CoreSource/services/service_reply.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<std::string> reply(std::string(fuzz::as_view(data, size)));
  auto parsed = ime_parse_service_reply(reply);
  if (parsed) {
    const char* begin = reply->data();
    if (parsed->payload.data() < begin ||
        parsed->payload.data() + parsed->payload.size() > begin + reply->size()) {
      __builtin_trap();
    }
  }
  return 0;
}
