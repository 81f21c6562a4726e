// A face of the about window: a window whose link fields each track the pointer over them.
#pragma once

#include <map>

#include "platform/ui/window.h"

namespace imkkep {

class LinkFieldView;

class KEPAboutFace : public platform::ui::Window {
 public:
  KEPAboutFace(std::string name, platform::ui::Rect frame);

  // Tracks the pointer over `link` (its rectangle in this window); the tag is returned.
  int trackLink(LinkFieldView& link);
  void untrackLink(int tag);

 protected:
  void mouse_entered(int tag) override;
  void mouse_exited(int tag) override;

 private:
  std::map<int, LinkFieldView*> links_;
};

}  // namespace imkkep
