// Message ids of the candidate window protocol and the send of a property-list payload.
#pragma once

#include <cstdint>

#include "IMKKEP/companions/KEPMessageReceive.h"
#include "candidatewindow/protocol/ComData.h"
#include "candidatewindow/protocol/message_ids.h"

namespace imkkep {

using kepcandidate::ComData;
using kepcandidate::kKEPSGrowl;
using kepcandidate::kKEPSHideVModeWindow;
using kepcandidate::kKEPSMessageActivated;
using kepcandidate::kKEPSMessageHiddenCandidateWindow;
using kepcandidate::kKEPSMessageTextInput;
using kepcandidate::kKEPSUpdateStatus;
using kepcandidate::kKEPSVModeKeyDown;
using kepcandidate::kKEPSVModeKeySelect;
using kepcandidate::kKEPSVModeKeyUp;
using kepcandidate::kKEPSVModeMatched;
using kepcandidate::kKEPSVModeShow;

inline int SendComData(std::int32_t id, const ComData& payload) {
  return SendMessageToUI2(id, payload.data());
}

}  // namespace imkkep
