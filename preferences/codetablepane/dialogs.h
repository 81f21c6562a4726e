// The pane's dialogs: its alerts and the open panels that start in the folder last used.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/runloop.h"
#include "platform/ui/alert.h"
#include "platform/ui/open_panel.h"
#include "platform/ui/user_defaults.h"
#include "platform/ui/window.h"

namespace codetablepane {

inline constexpr const char* kLastPlugDirKey = "LAST_PLUG_DIR";

// Runs an application-modal alert named `name` titled by the text of `title_key` with one
// `BUTTON_OK`, kept in `slot` (one alert of a name at a time). Nothing when `parent` is in no
// registry.
void run_alert(std::unique_ptr<platform::ui::Alert>& slot, platform::ui::Window& parent,
               platform::RunLoop& loop, const std::string& name, const std::string& title_key,
               const std::string& text);

// An open panel for one file of `types`, starting in LAST_PLUG_DIR of `defaults` (may be null),
// else the home folder. nullptr when `parent` is in no registry.
std::unique_ptr<platform::ui::OpenPanel> file_panel(platform::ui::Window& parent, platform::RunLoop& loop,
                                                    const std::string& name, std::vector<std::string> types,
                                                    platform::ui::UserDefaults* defaults);

// Keeps the folder the panel ended in as LAST_PLUG_DIR, written at once.
void remember_folder(const platform::ui::OpenPanel& panel, platform::ui::UserDefaults* defaults);

}  // namespace codetablepane
