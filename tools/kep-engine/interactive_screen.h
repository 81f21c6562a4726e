// The three lines the interactive driver redraws in place after every key: the end of the text
// committed so far, the composition with its caret, and the candidate page. Drawing reads only
// the end of the committed text that is shown, so a key costs the same after a long session.
#pragma once

#include <string>
#include <string_view>

#include "session/typing_session.h"

namespace kep_terminal {

class Screen {
 public:
  // The bytes that replace the block drawn before (if any) on a terminal `columns` wide.
  std::string draw(std::string_view line, const kep_session::KeyOutcome& outcome, int columns);
  // The bytes that leave a finished line above where the next block starts.
  std::string keep(std::string_view line);

 private:
  bool drawn_ = false;
};

}  // namespace kep_terminal
