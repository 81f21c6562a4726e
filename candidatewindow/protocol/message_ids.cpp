#include "candidatewindow/protocol/message_ids.h"

#include <array>

namespace kepcandidate {

namespace {

constexpr std::array<const char*, 16> kNames = {
    "kKEPSMessageActivated",
    "kKEPSMessageDeactivated",
    "kKEPSMessageIsCandidateWindowHidden",
    "kKEPSMessageShowCandidateWindow",
    "kKEPSMessageHiddenCandidateWindow",
    "kKEPSMessageDrawCandidateWindow",
    "kKEPSMessageTextInput",
    "kKEPSGrowl",
    "kKEPSVModeKeyUp",
    "kKEPSVModeKeyDown",
    "kKEPSVModeKeySelect",
    "kKEPSVModeShow",
    "kKEPSVModeHide",
    "kKEPSUpdateStatus",
    "kKEPSHideVModeWindow",
    "kKEPSVModeMatched",
};

}  // namespace

const char* msgString(std::int32_t id) {
  if (id < kKEPSMessageActivated || id > kKEPSVModeMatched) return "Unknown";
  return kNames[static_cast<std::size_t>(id - kKEPSMessageActivated)];
}

}  // namespace kepcandidate
