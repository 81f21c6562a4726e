#include "platform/ui/rect_values.h"

#include <cmath>

namespace platform::ui {

bool is_finite(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height);
}

plist::Dictionary rect_dictionary(const Rect& rect) {
  plist::Dictionary dictionary;
  dictionary.set("x", rect.x);
  dictionary.set("y", rect.y);
  dictionary.set("width", rect.width);
  dictionary.set("height", rect.height);
  return dictionary;
}

}  // namespace platform::ui
