#include "candidatewindow/app/candidate_controller.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "candidatewindow/app/notice_log.h"
#include "candidatewindow/protocol/message_ids.h"
#include "candidatewindow/protocol/notice_message.h"
#include "candidatewindow/protocol/send_to_im.h"
#include "candidatewindow/protocol/status_message.h"
#include "candidatewindow/protocol/text_input_message.h"
#include "candidatewindow/protocol/vmode_show_message.h"
#include "platform/gfx/fonts.h"

namespace kepcandidatewindow {

namespace {

namespace fs = std::filesystem;
using platform::gfx::Colour;
using platform::ui::Rect;

// Hidden windows start with a frame that can be drawn; the first page sizes the candidate window.
constexpr Rect kInitialCandidateFrame{10, 15, 100, 30};
constexpr Rect kInitialStatusFrame{0, 0, 1, 1};
constexpr Rect kInitialVModeFrame{10, 15, 240, 160};

void log_line(const char* text) { std::fprintf(stderr, "%s: %s\n", kProgramName, text); }

Colour colour_of(const kepcandidate::RgbColour& rgb, double alpha) {
  return Colour{rgb.red, rgb.green, rgb.blue, alpha};
}

// The family that draws `name`, or "Hei" at 16 points when no installed font stands for it.
kepskin::SkinFont plain_font(const std::string& name, int size) {
  if (auto family = platform::gfx::resolve_family(name)) return {name, *family, size};
  return {"Hei", platform::gfx::resolve_family("Hei").value_or("Hei"), 16};
}

}  // namespace

CandidateController::CandidateController()
    : window(kProgramName, "candidate", kInitialCandidateFrame),
      statusWindow(kProgramName, "status", kInitialStatusFrame),
      vmodePanel(kProgramName, "vmode", kInitialVModeFrame, platform::ui::kTitledWindowMask),
      font(plain_font("Hei", 16)) {
  view.plain.font = font;
  window.set_content_drawer([this](platform::gfx::Surface& picture) {
    if (!candidateViewHidden_) view.drawRect(picture);
  });
  vmodePanel.set_level(platform::ui::kFloatingWindowLevel);
}

void CandidateController::awakeFromNib(platform::ui::WindowRegistry& registry) {
  registry.add(window);
  registry.add(statusWindow);
  registry.add(vmodePanel);
  statusViewHidden = true;
  statusWindow.order_out();
  displayChangedWindows();
}

void CandidateController::handleMessage(std::int32_t id, std::string_view payload) {
  applyMessage(id, payload);
  displayChangedWindows();
}

void CandidateController::applyMessage(std::int32_t id, std::string_view payload) {
  using namespace kepcandidate;
  switch (id) {
    case kKEPSMessageActivated: activate(payload); break;
    case kKEPSMessageDeactivated: deactivate(); break;
    case kKEPSMessageShowCandidateWindow: showCandidateWindow(false); break;
    case kKEPSMessageHiddenCandidateWindow: showCandidateWindow(true); break;
    case kKEPSMessageTextInput: textInput(payload); break;
    case kKEPSGrowl: notice(payload); break;
    case kKEPSUpdateStatus: updateStatus(payload); break;
    case kKEPSVModeKeyUp: vmodeList.selectPrevious(); break;
    case kKEPSVModeKeyDown: vmodeList.selectNext(); break;
    case kKEPSVModeKeySelect: vmodeList.chooseSelected(); break;
    case kKEPSVModeShow: showVModeList(payload); break;
    case kKEPSHideVModeWindow: showVModePanel(true); break;
    default: break;
  }
}

void CandidateController::activate(std::string_view payload) {
  std::optional<kepcandidate::ActivationMessage> message =
      kepcandidate::readActivationMessage(payload);
  if (!message) return;
  shownPage_.reset();
  imeMode = message->imeMode;
  schemeMode = message->schemeMode;
  if (!message->processId) {
    log_line("No process ID send to candidate window.");
    return;
  }
  kepcandidate::setServerProcessId(*message->processId);
  view.hasShadow = message->shadow;
  statusViewHasShadow = message->shadow;
  statusView.shadow = message->shadow;
  labelFormat = message->formatString;
  view.labelFormat = labelFormat;

  if (schemeMode == 1 || schemeMode == 2) {
    fontHeight = 0;
    if (!message->skin) {
      applyPlainSettings(*message);
      return;
    }
    std::error_code error;
    if (!fs::exists(*message->skin, error)) {
      schemeMode = 0;
      applyPlainSettings(*message);
      return;
    }
    const int loaded = view.setSkinFile(*message->skin);
    if (loaded == kepskin::kSkinLoaded) {
      view.setScheme(schemeMode == 1 ? "scheme_h1" : "scheme_v1");
    }
    statusView.setSkinFile(*message->skin);
    if (loaded == kepskin::kSkinNoFolder) {
      applyPlainSettings(*message);
      return;
    }
    applyStatusBar(*message);
    return;
  }
  applyPlainSettings(*message);
}

void CandidateController::applyPlainSettings(const kepcandidate::ActivationMessage& message) {
  font = plain_font(message.fontName, message.fontSize);
  fontHeight = font.size;
  alpha = message.alpha;
  foregroundColor = colour_of(message.foreground, 1.0);
  backgroundColor = colour_of(message.background, alpha);
  view.plain.font = font;
  view.plain.fontHeight = fontHeight;
  view.plain.foreground = foregroundColor;
  view.plain.background = backgroundColor;
  statusWindow.order_out();
  statusViewHidden = true;
}

void CandidateController::applyStatusBar(const kepcandidate::ActivationMessage& message) {
  const bool shown = message.hideStatusBar.has_value() && !*message.hideStatusBar;
  statusViewHidden = !shown;
  showStatusWindow(!shown);
  if (shown) giveStatus(message.status);
}

void CandidateController::deactivate() {
  showVModePanel(true);
  showCandidateWindow(true);
  showStatusWindow(true);
}

void CandidateController::textInput(std::string_view payload) {
  // The server sends the page again after keys that change nothing on it.
  if (shownPage_ == payload && !candidateViewHidden_ && window.is_visible()) return;
  std::optional<kepcandidate::TextInputMessage> message =
      kepcandidate::readTextInputMessage(payload);
  if (!message) return;
  view.page = message->page;
  view.inlineHeight = message->inlineHeight;
  view.showPage = message->showPage;
  view.total = message->totalPage;
  view.traditional = message->traditional;
  view.imeMode = imeMode;
  // Skin mode with no skin ever loaded draws in the plain style (the view's choice).
  view.schemeMode = schemeMode;
  const std::string title = message->title();
  view.displayCandidateString(message->candidates, title,
                              platform::ui::Point{static_cast<double>(message->x),
                                                  static_cast<double>(message->y)},
                              message->fh);
  if (!window.set_frame(view.windowFrame)) log_line("The candidate page has no drawable frame.");
  platform::plist::Array labels;
  for (const std::string& label : view.shownLabels) labels.emplace_back(label);
  window.show("labels", std::move(labels));
  window.show("page", view.page);
  window.show("total", view.total);
  window.show("title", title);
  window.set_needs_display();
  showCandidateWindow(false);
  shownPage_ = std::string(payload);
}

void CandidateController::notice(std::string_view payload) {
  if (std::optional<kepcandidate::Notice> notice = kepcandidate::readNotice(payload)) {
    postGrowlNotification(notice->name, notice->text);
  }
}

void CandidateController::updateStatus(std::string_view payload) {
  if (statusViewHidden) return;
  if (std::optional<platform::plist::Dictionary> status = kepcandidate::readStatusMessage(payload)) {
    giveStatus(*status);
  }
}

void CandidateController::showVModeList(std::string_view payload) {
  std::optional<kepcandidate::VModeShowMessage> message = kepcandidate::readVModeShowMessage(payload);
  if (!message) return;
  vmodeList.showFor(*message, schemeMode == 1 || schemeMode == 2);
  showCandidateWindow(true);
  showVModePanel(false);
}

void CandidateController::giveStatus(const platform::plist::Dictionary& status) {
  statusButtons = status;
  statusView.setStatus(status);
  statusWindow.show("STATUS", status);
  statusWindow.make_key_and_order_front();
}

void CandidateController::showCandidateWindow(bool hidden) {
  if (hidden != candidateViewHidden_) window.set_needs_display();
  candidateViewHidden_ = hidden;
  if (hidden) {
    window.order_out();
  } else {
    window.order_front();
  }
}

void CandidateController::showVModePanel(bool hidden) {
  if (hidden) {
    vmodePanel.order_out();
  } else {
    vmodePanel.order_front();
  }
}

void CandidateController::showStatusWindow(bool hidden) {
  if (hidden || schemeMode == 0) {
    statusWindow.order_out();
  } else {
    statusWindow.order_front();
  }
}

void CandidateController::postGrowlNotification(std::string_view name, std::string_view message) {
  std::error_code error;
  if (!appendNotice(kepcandidate::Notice{std::string(name), std::string(message)}, error)) {
    std::fprintf(stderr, "%s: the notice was not recorded: %s\n", kProgramName,
                 error.message().c_str());
  }
}

void CandidateController::displayChangedWindows() {
  for (platform::ui::Window* each : {static_cast<platform::ui::Window*>(&window),
                                     static_cast<platform::ui::Window*>(&statusWindow), &vmodePanel}) {
    std::error_code error;
    const bool due = each->needs_display();
    if (!each->display_if_needed(error)) {
      // A full or refused render folder fails every page: say it once.
      if (unwrittenWindows_.insert(each).second) {
        std::fprintf(stderr, "%s: window %s not written: %s\n", kProgramName,
                     each->name().c_str(), error.message().c_str());
      }
    } else if (due && unwrittenWindows_.erase(each) != 0) {
      std::fprintf(stderr, "%s: window %s written again\n", kProgramName, each->name().c_str());
    }
  }
}

}  // namespace kepcandidatewindow
