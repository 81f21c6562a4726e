// The update service's reply: whatever the network delivers is split into dictionary lines
// and judged a web page or not, as the updater and the dictionary pane do before acting on it.
#include "celldict/update/update_log.h"
#include "celldict/update/update_reply.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  celldict::update::set_log_sink([](const std::string&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply = fuzz::as_view(data, size);
  celldict::update::looks_like_html(reply);
  const auto lines = celldict::update::parse_reply(reply);
  if (lines.size() > celldict::update::kMaxReplyLines) __builtin_trap();
  for (const celldict::update::UpdateLine& line : lines) {
    for (std::string_view field : {std::string_view(line.uid), std::string_view(line.version),
                                   std::string_view(line.url)}) {
      // A field never carries a separator of the reply into what the callers log or fetch.
      if (field.find('|') != std::string_view::npos || field.find('\n') != std::string_view::npos) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
