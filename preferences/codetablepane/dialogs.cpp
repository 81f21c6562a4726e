#include "preferences/codetablepane/dialogs.h"

#include <cstdlib>
#include <system_error>

#include "platform/ui/window_registry.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/panekit/pane_bundle.h"

namespace codetablepane {

void run_alert(std::unique_ptr<platform::ui::Alert>& slot, platform::ui::Window& parent,
               platform::RunLoop& loop, const std::string& name, const std::string& title_key,
               const std::string& text) {
  if (parent.registry() == nullptr) return;
  slot.reset();
  slot = std::make_unique<platform::ui::Alert>(*parent.registry(), loop, parent.program(), name);
  slot->set_message_text(panekit::pane_string(title_key));
  slot->set_informative_text(text);
  slot->add_button("BUTTON_OK", panekit::pane_string("BUTTON_OK"));
  slot->run_modal();
}

std::unique_ptr<platform::ui::OpenPanel> file_panel(platform::ui::Window& parent, platform::RunLoop& loop,
                                                    const std::string& name, std::vector<std::string> types,
                                                    platform::ui::UserDefaults* defaults) {
  if (parent.registry() == nullptr) return nullptr;
  auto panel = std::make_unique<platform::ui::OpenPanel>(*parent.registry(), loop, parent.program(), name);
  panel->set_can_choose_files(true);
  panel->set_can_choose_directories(false);
  panel->set_allows_multiple_selection(false);
  panel->set_allowed_file_types(std::move(types));
  std::optional<std::string> last;
  if (defaults != nullptr) last = defaults->string(kLastPlugDirKey);
  const char* home = std::getenv("HOME");
  if (last && !last->empty()) {
    panel->set_directory(*last);
  } else if (home != nullptr && home[0] == '/') {
    panel->set_directory(home);
  }
  return panel;
}

void remember_folder(const platform::ui::OpenPanel& panel, platform::ui::UserDefaults* defaults) {
  if (defaults == nullptr) return;
  defaults->set(kLastPlugDirKey, platform::plist::Value(panel.directory().string()));
  std::error_code error;
  if (!defaults->synchronize(error)) pane_log("The folder of the open panel is not remembered: " + error.message());
}

}  // namespace codetablepane
