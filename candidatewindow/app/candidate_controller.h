// The candidate window program's controller: it owns the candidate window, the status window
// and the V-mode panel, keeps the appearance the server last asked for, and applies each message
// of the server to them.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "candidatewindow/app/q_status_view.h"
#include "candidatewindow/app/vmode_panel.h"
#include "candidatewindow/protocol/activation_message.h"
#include "candidatewindow/skin/q_borderless_view.h"
#include "candidatewindow/skin/q_round_window.h"
#include "platform/gfx/colour.h"
#include "platform/plist.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace kepcandidatewindow {

inline constexpr const char* kProgramName = "IMKKEPCandidateWindow";

class CandidateController {
 public:
  CandidateController();

  // Puts the windows in `registry` (so the control port reaches them), hides the status bar and
  // writes every window's first state.
  void awakeFromNib(platform::ui::WindowRegistry& registry);

  // One message of the server. Ids the window does not handle, and payloads that do not parse,
  // change nothing. The windows that changed display afterwards.
  void handleMessage(std::int32_t id, std::string_view payload);
  // handleMessage without the display, for a caller that applies several messages and then
  // displays once (displayChangedWindows).
  void applyMessage(std::int32_t id, std::string_view payload);

  // hidden true orders out, false orders front (the status window only outside the plain style).
  void showCandidateWindow(bool hidden);
  void showVModePanel(bool hidden);
  void showStatusWindow(bool hidden);

  void postGrowlNotification(std::string_view name, std::string_view message);

  // Writes the files of every window whose state changed. A window that cannot be written is
  // reported once, and once more when it is written again, however many pages come between.
  void displayChangedWindows();

  kepskin::QRoundWindow window;
  kepskin::QBorderlessView view;
  kepskin::QRoundWindow statusWindow;
  QStatusView statusView{statusWindow};
  platform::ui::Window vmodePanel;
  VModePanel vmodeList{vmodePanel};

  platform::gfx::Colour foregroundColor{1, 1, 1, 1};
  platform::gfx::Colour backgroundColor{0, 0, 0, 1};
  kepskin::SkinFont font;
  std::int32_t fontHeight = 16;  // 0 in skin mode
  float alpha = 1.0f;

  std::int32_t imeMode = 0;
  std::int32_t schemeMode = 0;
  std::string labelFormat = "%d%@";

  // The status bar's view, as far as this window program keeps it.
  bool statusViewHidden = true;
  bool statusViewHasShadow = true;
  platform::plist::Dictionary statusButtons;

 private:
  void activate(std::string_view payload);
  void applyPlainSettings(const kepcandidate::ActivationMessage& message);
  void applyStatusBar(const kepcandidate::ActivationMessage& message);
  void deactivate();
  void textInput(std::string_view payload);
  void notice(std::string_view payload);
  void updateStatus(std::string_view payload);
  void showVModeList(std::string_view payload);
  void giveStatus(const platform::plist::Dictionary& status);

  bool candidateViewHidden_ = true;
  // The text input message of the page the candidate window shows, until something else
  // changes what the view draws.
  std::optional<std::string> shownPage_;
  // Windows whose last display failed, and that said so.
  std::set<const platform::ui::Window*> unwrittenWindows_;
};

}  // namespace kepcandidatewindow
