// Pane bundle library with real pages: PagesPaneController makes the panes "General" and
// "Advanced" (the host's order puts General first), each with a view of its own size that a
// click counts on, and a pane with no name of its own. Each pane keeps one counter in the
// shared settings under "<name>Clicks". Advanced has a button that asks the host to restore the
// shipped settings.
#include <memory>
#include <string>

#include "platform/ui/plugin.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "preferences/host/pane_protocol.h"

namespace {

using platform::plist::Dictionary;
using platform::plist::Value;

class CountingView : public platform::ui::View {
 public:
  CountingView(platform::ui::Rect frame, std::int64_t* count) : View(frame), count_(count) {}
  bool mouse_down(const platform::ui::MouseEvent&) override {
    ++*count_;
    set_needs_display();
    return true;
  }
  void mouse_up(const platform::ui::MouseEvent&) override {}

 protected:
  void describe_into(Dictionary& shows) const override { shows.set("count", Value(*count_)); }

 private:
  std::int64_t* count_;
};

// Asks the host to restore the shipped settings.
class RestoreButton : public platform::ui::View {
 public:
  RestoreButton() : View({10, 10, 60, 20}) { set_identifier("RestoreButton"); }
  bool mouse_down(const platform::ui::MouseEvent&) override {
    if (kep_preferences_restore_defaults != nullptr) kep_preferences_restore_defaults();
    return true;
  }
  void mouse_up(const platform::ui::MouseEvent&) override {}
};

class PagePane : public preferences::PreferencePane {
 public:
  PagePane(std::string name, double width, double height)
      : name_(std::move(name)), width_(width), height_(height) {}
  ~PagePane() override = default;

  platform::ui::View* paneView() override {
    if (!view_) {
      view_ = new CountingView({0, 0, width_, height_}, &count_);
      view_->set_identifier((name_.empty() ? std::string("Nameless") : name_) + "Page");
      if (name_ == "Advanced") view_->add_subview(std::make_unique<RestoreButton>());
    }
    return view_;
  }
  std::string paneName() override { return name_; }
  std::optional<platform::gfx::Surface> paneIcon() override { return std::nullopt; }
  std::optional<std::string> paneToolTip() override { return name_ + " settings"; }
  bool allowsHorizontalResizing() override { return name_ == "Advanced"; }
  bool allowsVerticalResizing() override { return false; }
  void setParentWindow(platform::ui::Window*) override {}
  void loadPrefs(Dictionary& prefs) override {
    const Value* value = prefs.find(key());
    count_ = value ? value->integer_value().value_or(0) : 0;
    loaded_ = true;
  }
  void savePrefs(Dictionary& prefs) override {
    if (loaded_) prefs.set(key(), Value(count_));
  }
  void reloadPrefs(Dictionary& prefs) override {
    if (loaded_) loadPrefs(prefs);
  }

 private:
  std::string key() const { return (name_.empty() ? std::string("Nameless") : name_) + "Clicks"; }

  std::string name_;
  double width_;
  double height_;
  // The window that shows the view frees it; see the host.
  platform::ui::View* view_ = nullptr;
  std::int64_t count_ = 0;
  bool loaded_ = false;
};

preferences::PreferencePanes make_panes() {
  preferences::PreferencePanes panes;
  panes.push_back(std::make_unique<PagePane>("Advanced", 420, 260));
  panes.push_back(std::make_unique<PagePane>("General", 380, 220));
  panes.push_back(std::make_unique<PagePane>("", 300, 150));
  return panes;
}

const KepClassEntry kEntries[] = {
    {preferences::kPreferencePanesEntry, reinterpret_cast<void (*)()>(&make_panes)},
};

const KepClassRecord kRecord = {preferences::kPaneAbiVersion, "PagesPaneController",
                                platform::ui::kRootClassName, preferences::kPaneProtocolName,
                                kEntries, 1};

}  // namespace

const KepClassRecord* kep_principal_class(const char* name) {
  return std::string_view(name) == kRecord.class_name ? &kRecord : nullptr;
}
