// The bundle's principal class, PCTController, as the preferences program finds it.
#include <memory>
#include <string_view>

#include "platform/ui/plugin.h"
#include "preferences/codetablepane/codetable_controller.h"
#include "preferences/host/pane_protocol.h"

namespace {

preferences::PreferencePanes make_panes() {
  preferences::PreferencePanes panes;
  panes.push_back(std::make_unique<codetablepane::PCTController>());
  return panes;
}

const KepClassEntry kEntries[] = {
    {preferences::kPreferencePanesEntry, reinterpret_cast<void (*)()>(&make_panes)},
};

const KepClassRecord kRecord = {preferences::kPaneAbiVersion, "PCTController",
                                platform::ui::kRootClassName, preferences::kPaneProtocolName,
                                kEntries, 1};

}  // namespace

const KepClassRecord* kep_principal_class(const char* name) {
  return std::string_view(name) == kRecord.class_name ? &kRecord : nullptr;
}
