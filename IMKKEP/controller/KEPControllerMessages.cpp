// The messages to the candidate window that follow one input controller's composition: the
// candidates with the caret, the V-mode list, and hiding them.
#include <optional>
#include <string>

#include "CoreSource/record/conversation.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/controller/caret_line.h"
#include "IMKKEP/companions/window_messages.h"

namespace imkkep {

namespace {

constexpr std::uint32_t kCandidateWindowShown = 0x2;
constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_U | IME_MODE_V;
constexpr std::int64_t kDefaultInlineHeight = 14;
// A composition this short has just begun: the window moves to the caret only then (and in
// the string modes), so it does not jump about while the user types.
constexpr int kFollowCaretBelowKeys = 2;
constexpr int kHowOnlyShow = 0;
constexpr int kHowFromKeyRoad = 1;
constexpr int kHowStoredPosition = 9;

ime_conversation_t* conversation_of(KEPInputController* controller) {
  return controller != nullptr ? controller->conversation() : nullptr;
}

bool in_string_mode(const ime_conversation_t* convs) { return (convs->mode & kStringModes) != 0; }

void add_position(ComData& payload, Point at, double height) {
  payload.setObject(static_cast<std::int64_t>(at.x), "X");
  payload.setObject(static_cast<std::int64_t>(at.y), "Y");
  payload.setObject(static_cast<std::int64_t>(height), "FH");
}

}  // namespace

int KEPHideCandidateWindow(KEPInputController* controller) {
  if (ime_conversation_t* convs = conversation_of(controller)) convs->mode &= ~kCandidateWindowShown;
  return SendMessageToUI2(kKEPSMessageHiddenCandidateWindow, {});
}

int KEPShowCandidateWindow(KEPInputController* controller) {
  if (ime_conversation_t* convs = conversation_of(controller)) convs->mode |= kCandidateWindowShown;
  return KEPSendInputText(controller, std::nullopt, kHowOnlyShow);
}

int KEPSendInputText(KEPInputController* controller, const std::optional<std::string>& text,
                     int how) {
  ime_conversation_t* convs = conversation_of(controller);
  if (convs == nullptr) return -1;
  bool composition_begins = convs->inoff < kFollowCaretBelowKeys;
  bool from_key = how != kHowOnlyShow && how != kHowStoredPosition && text.has_value();
  std::optional<CaretLine> caret;
  Point at;  // (0, 0): the window stays where it is
  if ((composition_begins && (from_key || in_string_mode(convs))) ||
      (how == kHowFromKeyRoad && in_string_mode(convs))) {
    caret = AskCaretLine(*controller);
    at = caret->at;
  } else if (how == kHowStoredPosition) {
    at = controller->lastLocation();
  }
  if (text && text->empty()) return 1;

  // The line height is wanted even when the position is not; a client that gives no line
  // leaves the composition line at its usual height.
  if (!caret) caret = ReadCaretLine(controller->client());
  ComData payload;
  add_position(payload, at, caret->height);
  payload.setObject(caret->answered ? static_cast<std::int64_t>(caret->height) : kDefaultInlineHeight,
                    "INLINE_HEIGHT");
  CandidateBuffer(convs, payload.dictionary());
  return SendComData(kKEPSMessageTextInput, payload);
}

int KEPSendStringToUI(KEPInputController* controller, std::int32_t id,
                      const std::optional<std::string>& text) {
  ComData payload;
  ime_conversation_t* convs = conversation_of(controller);
  if (convs != nullptr && convs->inoff < kFollowCaretBelowKeys && in_string_mode(convs)) {
    CaretLine caret = AskCaretLine(*controller);
    add_position(payload, caret.at, caret.height);
  }
  if (text) payload.setObject(*text, "VALUE");
  return SendComData(id, payload);
}

int KEPHideVModeWindow(KEPInputController* controller) {
  if (controller == nullptr) return -1;
  return SendMessageToUI2(kKEPSHideVModeWindow, {});
}

}  // namespace imkkep
