// A library of principal classes the preferences program must refuse, one per way a class can
// fail to be a usable pane; each staged bundle names one of them.
#include <string_view>

#include "platform/ui/plugin.h"
#include "preferences/host/pane_protocol.h"

namespace {

preferences::PreferencePanes no_panes() { return {}; }

const KepClassEntry kFactory[] = {
    {preferences::kPreferencePanesEntry, reinterpret_cast<void (*)()>(&no_panes)},
};
const KepClassEntry kOtherEntry[] = {
    {"preferencePane", reinterpret_cast<void (*)()>(&no_panes)},
};
const KepClassEntry kNullFactory[] = {
    {preferences::kPreferencePanesEntry, nullptr},
};

using preferences::kPaneAbiVersion;
using preferences::kPaneProtocolName;
using platform::ui::kRootClassName;

const KepClassRecord kRecords[] = {
    // Derives from a class other than NSObject.
    {kPaneAbiVersion, "ViewBasedController", "NSView", kPaneProtocolName, kFactory, 1},
    {kPaneAbiVersion, "RootlessController", nullptr, kPaneProtocolName, kFactory, 1},
    // Built against another version of the protocol.
    {kPaneAbiVersion + 1, "NewerAbiController", kRootClassName, kPaneProtocolName, kFactory, 1},
    // Conforms to another protocol.
    {kPaneAbiVersion, "OtherProtocolController", kRootClassName, "PreferencePage", kFactory, 1},
    // Lacks the factory: no entries, another entry only, or the entry without a function.
    {kPaneAbiVersion, "NoEntriesController", kRootClassName, kPaneProtocolName, nullptr, 0},
    {kPaneAbiVersion, "MisnamedEntryController", kRootClassName, kPaneProtocolName, kOtherEntry, 1},
    {kPaneAbiVersion, "NullFactoryController", kRootClassName, kPaneProtocolName, kNullFactory, 1},
    // Answers for a name with the record of another class.
    {kPaneAbiVersion, "SomeoneElse", kRootClassName, kPaneProtocolName, kFactory, 1},
};

}  // namespace

const KepClassRecord* kep_principal_class(const char* name) {
  std::string_view wanted(name);
  if (wanted == "ImpostorController") return &kRecords[7];
  for (const KepClassRecord& record : kRecords) {
    if (wanted == record.class_name) return &record;
  }
  return nullptr;
}
