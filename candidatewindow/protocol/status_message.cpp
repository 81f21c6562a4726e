#include "candidatewindow/protocol/status_message.h"

#include "candidatewindow/protocol/payload_values.h"

namespace kepcandidate {

StatusFlags readStatusFlags(const platform::plist::Dictionary& status) {
  StatusFlags flags;
  flags.fullWidthPunct = readBool(status, "FULL_WIDTH_PUNCT");
  flags.english = readBool(status, "ENGLISH");
  flags.traditional = readBool(status, "TRADITIONAL");
  flags.fullWidthRoman = readBool(status, "FULL_WIDTH_ROMAN");
  flags.pinyin = readBool(status, "PINYIN");
  return flags;
}

std::optional<platform::plist::Dictionary> readStatusMessage(std::string_view payload) {
  std::optional<platform::plist::Dictionary> dictionary = parsePayload(payload);
  if (!dictionary) return std::nullopt;
  const platform::plist::Value* status = dictionary->find("STATUS");
  if (status == nullptr || status->as_dictionary() == nullptr) return platform::plist::Dictionary{};
  return *status->as_dictionary();
}

}  // namespace kepcandidate
