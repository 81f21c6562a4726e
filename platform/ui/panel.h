// A panel: a window floating above the user's documents, that becomes key only when clicked
// or made key by its owner (a panel of tools for the program's documents).
#pragma once

#include "platform/ui/window.h"

namespace platform::ui {

class Panel : public Window {
 public:
  Panel(std::string program, std::string name, Rect frame,
        unsigned style_mask = kTitledWindowMask | kClosableWindowMask);

  bool can_become_key() const override { return true; }
};

}  // namespace platform::ui
