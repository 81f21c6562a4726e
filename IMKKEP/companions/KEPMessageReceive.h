// The server's side of the link to the candidate window program: the senders of its messages
// and the local port on which it talks back. Sends are one-way and never make a key wait long:
// a message the window does not take at once is dropped with -2.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "candidatewindow/protocol/message_ids.h"
#include "platform/plist.h"
#include "platform/runloop.h"

struct ime_conversation_t;

namespace imkkep {

class KEPInputController;

using kepcandidate::kCandidateWindowPortName;
using kepcandidate::kServerPortPrefix;

// Sends message `id` with `data` to the candidate window on the server's one connection to it:
// 0, or -2 when the message was dropped (nobody serves the port, the window does not read, or
// the send failed otherwise). The log says when messages start being dropped, and why, and
// when they go through again; a window that nobody serves is started again.
int SendMessageToUI2(std::int32_t id, std::string_view data);

int KEPSendActiveMessage(KEPInputController* controller);             // 100
int KEPHideCandidateWindow(KEPInputController* controller);           // 104
int KEPShowCandidateWindow(KEPInputController* controller);           // 106
// 106 with the candidates and caret; `how` 1 from the key road, 9 to reuse the stored
// position, 0 to only show the window.
int KEPSendInputText(KEPInputController* controller, const std::optional<std::string>& text,
                     int how);
int PostGrowlNotification(std::string_view title, std::string_view text);  // 107
int PostGrowlLocalizedString(std::string_view title, std::string_view prefix,
                             std::string_view key, std::string_view default_text);  // 107
int KEPSendVModeUp();      // 108
int KEPSendVModeDown();    // 109
int KEPSendVModeSelect();  // 110
int KEPSendStringToUI(KEPInputController* controller, std::int32_t id,
                      const std::optional<std::string>& text);  // 111
int KEPUpdateStatus();                                          // 113
int KEPHideVModeWindow(KEPInputController* controller);         // 114

// The candidate part of message 106 from the conversation's shown page.
void CandidateBuffer(const ime_conversation_t* conversation,
                     platform::plist::Dictionary& payload);
// Asks the client where its caret line is: x, y (whole screen points) and the height; stores
// (x, y) as the controller's last location. 0.
int KEPQueryOffsetToPos(KEPInputController* controller, double* x, double* y, double* height);

// Applies a message of the window: a status-bar click (113), a chosen V-mode entry (115) or
// V-mode text (256), to the active controller; anything else, or without one, is dropped.
void KEPHandleWindowMessage(std::int32_t id, std::string_view data);

// Serves the server's own port "com.corvana.inputmethod.kep.imkcandishow.<pid>" on `loop`:
// 0, or -1 when the port cannot be created.
int KEPInitializeMessageReceiving(platform::RunLoop& loop);
// Stops serving it (at exit).
void KEPCloseMessageReceiving();

}  // namespace imkkep
