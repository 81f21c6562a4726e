// Message ids of the candidate window protocol and the send of a property-list payload.
#pragma once

#include <cstdint>

#include "IMKKEP/ComData.h"
#include "IMKKEP/KEPMessageReceive.h"

namespace imkkep {

enum : std::int32_t {
  kKEPSMessageActivated = 100,
  kKEPSMessageHiddenCandidateWindow = 104,
  kKEPSMessageTextInput = 106,
  kKEPSGrowl = 107,
  kKEPSVModeKeyUp = 108,
  kKEPSVModeKeyDown = 109,
  kKEPSVModeKeySelect = 110,
  kKEPSVModeShow = 111,
  kKEPSUpdateStatus = 113,
  kKEPSHideVModeWindow = 114,
  kKEPSVModeMatched = 115,
};

inline int SendComData(std::int32_t id, const ComData& payload) {
  return SendMessageToUI2(id, payload.data());
}

}  // namespace imkkep
