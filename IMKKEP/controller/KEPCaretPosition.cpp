#include <cmath>

#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/controller/caret_line.h"
#include "platform/ui/screens.h"

namespace imkkep {

namespace {
// Character 0 of the marked text: its line is the caret line.
constexpr std::uint64_t kCaretCharacter = 0;

// A line the window could be placed by: finite, its origin on a screen (edges included) and no
// taller than that screen. Anything else is a client's garbage, which would also overflow the
// whole numbers the window is sent.
bool on_a_screen(const platform::imk::Rect& line) {
  if (!std::isfinite(line.x) || !std::isfinite(line.y) || !std::isfinite(line.width) ||
      !std::isfinite(line.height) || line.height < 0) {
    return false;
  }
  for (const platform::ui::Screen& screen : platform::ui::screens()) {
    const platform::ui::Rect& frame = screen.frame;
    if (line.x >= frame.x && line.x <= frame.x + frame.width && line.y >= frame.y &&
        line.y <= frame.y + frame.height && line.height <= frame.height) {
      return true;
    }
  }
  return false;
}

}  // namespace

CaretLine ReadCaretLine(platform::imk::Client& client) {
  CaretLine caret;
  std::optional<platform::imk::Rect> line = client.line_rect(kCaretCharacter);
  if (line && on_a_screen(*line)) {
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
