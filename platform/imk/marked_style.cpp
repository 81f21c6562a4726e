#include "platform/imk/input_method.h"

namespace platform::imk {

MarkedTextStyle mark_for_style(int style) {
  switch (style) {
    case kHiliteRawText:
    case kHiliteConvertedText:
      return {Underline::Single};
    case kHiliteSelectedRawText:
    case kHiliteSelectedConvertedText:
      return {Underline::Thick};
    default:
      return {Underline::None};
  }
}

}  // namespace platform::imk
