// The notice of renewed sample words: a small panel with one text field that fades in at the
// bottom right of the main screen's visible frame, stays a few seconds and fades out. It lives
// on the program's run loop thread.
#pragma once

#include <memory>
#include <string>

#include "celldict/updater/updater_settings.h"
#include "platform/runloop.h"
#include "platform/ui/animation.h"
#include "platform/ui/controls.h"
#include "platform/ui/panel.h"
#include "platform/ui/window_registry.h"

namespace kepcelldictupdater {

inline constexpr const char* kUpdatePanelName = "update";
// From the right and bottom edges of the visible frame.
inline constexpr double kPanelMargin = 20;

// Only says when the pointer comes and goes; otherwise a plain panel.
class UpdatePanel : public platform::ui::Panel {
 public:
  explicit UpdatePanel(platform::ui::Rect frame);

 protected:
  void mouse_entered(int tag) override;
  void mouse_exited(int tag) override;
};

class UpdateNotice {
 public:
  // The panel joins `registry`; both the loop and the registry must outlive the notice.
  UpdateNotice(platform::RunLoop& loop, platform::ui::WindowRegistry& registry, Seconds shown_for,
               Seconds fade);
  ~UpdateNotice();
  UpdateNotice(const UpdateNotice&) = delete;
  UpdateNotice& operator=(const UpdateNotice&) = delete;

  // showUpdates: the text in the field, the panel placed and faded in from transparent; after
  // the notice time it fades out and leaves the screen. A notice during another starts over.
  void showUpdates(const std::string& text);
  void hideUpdates();

  UpdatePanel& panel() { return *panel_; }

 private:
  void fadeInWindow();
  void fadeOutWindow();
  void fade(double from, double to);
  void animationDidStop();

  platform::RunLoop& loop_;
  platform::ui::WindowRegistry& registry_;
  Seconds shown_for_;
  std::unique_ptr<UpdatePanel> panel_;
  platform::ui::TextField* updateItemLable_ = nullptr;
  platform::ui::Animation animation_;
  double from_ = 0;
  double to_ = 0;
  platform::RunLoop::SourceId hide_timer_ = 0;
};

}  // namespace kepcelldictupdater
