#include "IMKKEP/windows/KEPAboutFace.h"

#include "IMKKEP/windows/LinkFieldView.h"

namespace imkkep {

KEPAboutFace::KEPAboutFace(std::string name, platform::ui::Rect frame)
    : Window("IMKKEP", std::move(name), frame,
             platform::ui::kTitledWindowMask | platform::ui::kClosableWindowMask) {}

int KEPAboutFace::trackLink(LinkFieldView& link) {
  const platform::ui::Point origin = link.convert_to_window({0, 0});
  const int tag = add_tracking_rect({origin.x, origin.y, link.frame().width, link.frame().height});
  links_[tag] = &link;
  return tag;
}

void KEPAboutFace::untrackLink(int tag) {
  links_.erase(tag);
  remove_tracking_rect(tag);
}

void KEPAboutFace::mouse_entered(int tag) {
  if (auto found = links_.find(tag); found != links_.end()) found->second->mouseEntered();
}

void KEPAboutFace::mouse_exited(int tag) {
  if (auto found = links_.find(tag); found != links_.end()) found->second->mouseExited();
}

}  // namespace imkkep
