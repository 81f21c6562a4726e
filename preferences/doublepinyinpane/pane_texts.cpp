#include "preferences/doublepinyinpane/pane_texts.h"

namespace dpypane {

std::string text(std::string_view key) {
  return panekit::host_string(key, panekit::pane_string(key));
}

}  // namespace dpypane
