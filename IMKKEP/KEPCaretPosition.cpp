#include <cmath>

#include "IMKKEP/KEPMessageReceive.h"
#include "IMKKEP/caret_line.h"

namespace imkkep {

namespace {
// Character 0 of the marked text: its line is the caret line.
constexpr std::uint64_t kCaretCharacter = 0;
}  // namespace

CaretLine ReadCaretLine(platform::imk::Client& client) {
  CaretLine caret;
  if (std::optional<platform::imk::Rect> line = client.line_rect(kCaretCharacter)) {
    caret.at = {std::trunc(line->x), std::trunc(line->y)};
    caret.height = line->height;
    caret.answered = true;
  }
  return caret;
}

CaretLine AskCaretLine(KEPInputController& controller) {
  CaretLine caret = ReadCaretLine(controller.client());
  controller.setLastLocation(caret.at);
  return caret;
}

int KEPQueryOffsetToPos(KEPInputController* controller, double* x, double* y, double* height) {
  if (controller == nullptr || x == nullptr || y == nullptr) return -1;
  CaretLine caret = AskCaretLine(*controller);
  if (caret.answered) {
    *x = caret.at.x;
    *y = caret.at.y;
    if (height != nullptr) *height = caret.height;
  } else {
    controller->setLastLocation({*x, *y});
  }
  return 0;
}

}  // namespace imkkep
