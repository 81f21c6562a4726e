// A pane bundle's library as the preferences program expects it: one principal class,
// GoodPaneController, whose panes read and write the shared settings dictionary through the
// host's own property-list code.
#include <string>

#include "platform/ui/plugin.h"
#include "preferences/host/pane_protocol.h"

namespace {

class GoodPane : public preferences::PreferencePane {
 public:
  platform::ui::View* paneView() override { return nullptr; }
  std::string paneName() override { return "Good"; }
  std::optional<platform::gfx::Surface> paneIcon() override { return std::nullopt; }
  std::optional<std::string> paneToolTip() override { return "A pane that loads"; }
  bool allowsHorizontalResizing() override { return false; }
  bool allowsVerticalResizing() override { return false; }
  void setParentWindow(platform::ui::Window* window) override { parent_ = window; }
  void loadPrefs(platform::plist::Dictionary& prefs) override {
    if (loaded_) return;
    const platform::plist::Value* value = prefs.find("GoodPaneCount");
    count_ = value ? value->integer_value().value_or(0) : 0;
    loaded_ = true;
  }
  void savePrefs(platform::plist::Dictionary& prefs) override {
    if (!loaded_) return;
    prefs.set("GoodPaneCount", platform::plist::Value(count_ + 1));
  }
  void reloadPrefs(platform::plist::Dictionary& prefs) override {
    if (!loaded_) return;
    loaded_ = false;
    loadPrefs(prefs);
  }

 private:
  platform::ui::Window* parent_ = nullptr;
  std::int64_t count_ = 0;
  bool loaded_ = false;
};

preferences::PreferencePanes make_panes() {
  preferences::PreferencePanes panes;
  panes.push_back(std::make_unique<GoodPane>());
  return panes;
}

const KepClassEntry kEntries[] = {
    {preferences::kPreferencePanesEntry, reinterpret_cast<void (*)()>(&make_panes)},
};

const KepClassRecord kRecord = {preferences::kPaneAbiVersion, "GoodPaneController",
                                platform::ui::kRootClassName, preferences::kPaneProtocolName,
                                kEntries, 1};

}  // namespace

const KepClassRecord* kep_principal_class(const char* name) {
  return std::string_view(name) == kRecord.class_name ? &kRecord : nullptr;
}
