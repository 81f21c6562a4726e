// The scheme's text, inside a scroll view: the text view grows with its lines and keeps the
// caret in sight as the user types, so every line of a long scheme can be reached.
#pragma once

#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/key_event.h"

namespace dpypane {

class SchemeTextView : public platform::ui::TextView {
 public:
  using TextView::TextView;

  // Replaces the text and shows its top.
  void show_text(std::string text);

  bool key_down(const platform::ui::KeyEvent& event) override;

 private:
  // As tall as its lines, never shorter than the scroll view showing it.
  void fit_to_text();
  void scroll_caret_to_visible();
};

}  // namespace dpypane
