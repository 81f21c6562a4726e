// The client's caret line, as the candidate window is placed by it.
#pragma once

#include "IMKKEP/controller/KEPInputController.h"

namespace imkkep {

struct CaretLine {
  Point at;             // whole screen points; (0, 0) when the client gave no answer
  double height = 0;    // 0 when the client gave no answer
  bool answered = false;
};

// Asks the client for the line of character 0. An answer that is not finite or lies off every
// screen counts as none.
CaretLine ReadCaretLine(platform::imk::Client& client);
// The same for the controller's client, storing the position as the controller's last
// location.
CaretLine AskCaretLine(KEPInputController& controller);

}  // namespace imkkep
