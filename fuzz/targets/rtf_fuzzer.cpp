// RTF documents, as a bundled notes file or any file put in its place: read to plain text.
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "platform/rtf.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto text = platform::rtf_plain_text(fuzz::as_view(data, size));
  if (!text) return 0;
  // UTF-8 whatever the code page bytes were, and no character longer than three per input byte.
  if (!platform::text::is_valid_utf8(*text) || text->size() > 3 * size) std::abort();
  return 0;
}
