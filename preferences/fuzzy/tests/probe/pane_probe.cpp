// A stand-in host program for the tests: copied into an application bundle of their making, it
// loads a pane bundle and prints what the pane takes from its host's bundle, the pane's name
// and its check box's title, one a line.
#include <cstdio>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/plugin.h"
#include "platform/ui/view.h"
#include "preferences/host/pane_protocol.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PANE.bundle\n", argv[0]);
    return 2;
  }
  const platform::ui::ClassProtocol protocol{preferences::kPaneProtocolName,
                                             preferences::kPaneAbiVersion,
                                             {preferences::kPreferencePanesEntry}};
  auto result = platform::ui::load_plugin(argv[1], protocol);
  if (!result.loaded) {
    std::fprintf(stderr, "not loaded: %s\n", result.failure->detail.c_str());
    return 1;
  }
  auto factory =
      result.loaded->entry<preferences::PreferencePanesFactory>(preferences::kPreferencePanesEntry);
  preferences::PreferencePanes panes = factory();
  if (panes.size() != 1) return 1;
  std::string title = "?";
  if (platform::ui::View* view = panes[0]->paneView()) {
    for (const auto& subview : view->subviews()) {
      if (auto* check_box = dynamic_cast<platform::ui::CheckBox*>(subview.get())) {
        title = check_box->title();
      }
    }
  }
  std::printf("%s\n%s\n", panes[0]->paneName().c_str(), title.c_str());
  return 0;
}
