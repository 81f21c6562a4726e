// The ids of the messages between the input-method server and the candidate window program,
// and the ports they travel on.
#pragma once

#include <cstdint>

namespace kepcandidate {

// Served by the candidate window program.
inline constexpr const char* kCandidateWindowPortName = "IMKKEPCANDIDATEWINDOW_RECEIVER";
// Served by the server: this prefix, a dot and the server's process id.
inline constexpr const char* kServerPortPrefix = "com.corvana.inputmethod.kep.imkcandishow";

enum : std::int32_t {
  kKEPSMessageActivated = 100,
  kKEPSMessageDeactivated = 101,
  kKEPSMessageIsCandidateWindowHidden = 102,
  kKEPSMessageShowCandidateWindow = 103,
  kKEPSMessageHiddenCandidateWindow = 104,
  kKEPSMessageDrawCandidateWindow = 105,
  kKEPSMessageTextInput = 106,
  kKEPSGrowl = 107,
  kKEPSVModeKeyUp = 108,
  kKEPSVModeKeyDown = 109,
  kKEPSVModeKeySelect = 110,
  kKEPSVModeShow = 111,
  kKEPSVModeHide = 112,
  kKEPSUpdateStatus = 113,
  kKEPSHideVModeWindow = 114,
  kKEPSVModeMatched = 115,
};

// The name of a message id ("kKEPSMessageActivated" ...); "Unknown" for any other id.
const char* msgString(std::int32_t id);

}  // namespace kepcandidate
