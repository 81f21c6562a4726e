// Messages the server sends the candidate window: the first byte picks the reader (activation,
// page, V-mode list, status, notice), the rest is the payload as it arrives on the port.
#include <string_view>

#include "candidatewindow/protocol/activation_message.h"
#include "candidatewindow/protocol/notice_message.h"
#include "candidatewindow/protocol/status_message.h"
#include "candidatewindow/protocol/text_input_message.h"
#include "candidatewindow/protocol/vmode_show_message.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view payload = fuzz::as_view(data + 1, size - 1);
  switch (data[0] % 5) {
    case 0: kepcandidate::readActivationMessage(payload); break;
    case 1: kepcandidate::readTextInputMessage(payload); break;
    case 2: kepcandidate::readVModeShowMessage(payload); break;
    case 3: kepcandidate::readStatusMessage(payload); break;
    default: kepcandidate::readNotice(payload); break;
  }
  return 0;
}
