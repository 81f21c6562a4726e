// The senders of the server's messages to the candidate window, and the server's own port.
#include "IMKKEP/companions/KEPMessageReceive.h"

#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <system_error>

#include "CoreSource/base/imelog.h"
#include "CoreSource/base/settings_keys.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/config_reload.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/companions/KEPStatus.h"
#include "platform/ui/localized_strings.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/companions/window_messages.h"
#include "platform/ports.h"
#include "platform/text.h"

namespace imkkep {

using platform::ui::localized_string;

namespace {

// A window that hangs must never stall typing: a message that cannot be handed over this fast
// is dropped, and the window's next page replaces it.
constexpr std::chrono::milliseconds kSendTimeout{50};
constexpr const char* kCandidateWindowApp = "IMKKEPCandidateWindow.app";

constexpr std::size_t kMaxNoticeBytes = 2048;
constexpr std::size_t kMaxFontNameBytes = 511;

std::unique_ptr<platform::ports::LocalPort> gReceiverPort;

std::string color_or(const char* color, const char* fallback) {
  return color[0] != '\0' ? std::string(color) : std::string(fallback);
}

using platform::ports::SendStatus;

// The one connection to the window, kept between messages: a connect per message would queue
// a connection in the window's backlog for every key while it does not accept, and wait once
// the backlog is full. Connecting never waits. A window that stops reading costs one key at
// most kSendTimeout; from then on a message is dropped at once while the window has not read
// all it was sent before, so nothing piles up for it to replay when it reads again.
class WindowLink {
 public:
  int send(std::int32_t id, std::string_view data) {
    std::lock_guard lock(mutex_);
    if (failing_ && port_ && port_->unread_bytes() > 0) {
      ++dropped_;
      return -2;
    }
    if (!port_) {
      std::error_code error;
      port_ = platform::ports::RemotePort::open(kCandidateWindowPortName, error,
                                                std::chrono::milliseconds(0));
      if (!port_) {
        failed(platform::ports::open_failure_status(error));
        return -2;
      }
    }
    const SendStatus status =
        port_->send(id, data, kSendTimeout, kSendTimeout, /*wait_for_reply=*/false).status;
    if (status != SendStatus::Success) {
      failed(status);
      return -2;
    }
    if (failing_) {
      KEPLogAlways("Messages to the candidate window are delivered again (%zu dropped).",
                   dropped_);
      failing_ = false;
      dropped_ = 0;
    }
    return 0;
  }

 private:
  void failed(SendStatus status) {
    ++dropped_;
    if (!failing_) {
      failing_ = true;
      KEPLogAlways("Messages to the candidate window are dropped: %s.",
                   platform::ports::describe(status));
    }
    // Each time, not once per outage: a restarted window may die again, and the restart
    // itself is held back for a few seconds between tries.
    if (status == SendStatus::InvalidPort) KEPCompanionGone(kCandidateWindowApp);
  }

  std::mutex mutex_;
  std::optional<platform::ports::RemotePort> port_;
  bool failing_ = false;
  std::size_t dropped_ = 0;
};

WindowLink& window_link() {
  static WindowLink link;
  return link;
}

}  // namespace

int SendMessageToUI2(std::int32_t id, std::string_view data) {
  return window_link().send(id, data);
}

int KEPSendActiveMessage(KEPInputController* /*controller*/) {
  ComData payload;
  payload.setObject(ime_shadow != 0, "SHADOW");
  payload.setObject(static_cast<double>(static_cast<float>(ime_candidate_alpha) / 100.0f), "ALPHA");
  const char* font = ime_setting_string("FontName");
  payload.setObject(std::string(platform::text::utf8_prefix(font ? font : "", kMaxFontNameBytes)),
                    "FONT_NAME");
  payload.setObject(ime_font_size, "FONT_SIZE");
  payload.setObject(color_or(ime_candidate_fcolor, "000000"), "FOREGROUND_COLOR");
  payload.setObject(color_or(ime_candidate_bcolor, "ffffff"), "BACKGROUND_COLOR");
  payload.setObject(ime_mode, "IME_MODE");
  payload.setObject(static_cast<std::int64_t>(getpid()), "PROCESS_ID");
  const char* skin = ime_setting_string("SkinPath");
  if (skin != nullptr && ime_setting_bool("EnableDaruzSkin", ImeSettingReader::Server)) {
    std::string skin_path = skin;  // the next string read reuses the settings buffer
    payload.setObject(ime_setting_int("SkinLayout", ImeSettingReader::Server) != 0 ? 2 : 1,
                      "SCHEME_MODE");
    payload.setObject(skin_path, "SKIN");
  } else {
    payload.setObject(0, "SCHEME_MODE");
  }
  if (const char* format = ime_setting_string("FormatString")) {
    payload.setObject(std::string(format), "FORMAT_STRING");
  }
  payload.setObject(ime_setting_bool("HideDaruzStatusBar", ImeSettingReader::Server) != 0,
                    "HIDE_STATUS_BAR");
  payload.setObject(KEPGetStatus(), "STATUS");
  return SendComData(kKEPSMessageActivated, payload);
}

int PostGrowlNotification(std::string_view title, std::string_view text) {
  std::string notice = std::string(title) + ":" + std::string(text);
  if (!platform::text::is_valid_utf8(notice)) return -2;
  notice.resize(platform::text::utf8_prefix(notice, kMaxNoticeBytes).size());
  return SendMessageToUI2(kKEPSGrowl, notice);
}

int PostGrowlLocalizedString(std::string_view title, std::string_view prefix, std::string_view key,
                             std::string_view default_text) {
  std::string text = std::string(prefix) + localized_string(kServerBundleIdentifier, key, default_text);
  return PostGrowlNotification(title, text);
}

int KEPSendVModeUp() { return SendMessageToUI2(kKEPSVModeKeyUp, {}); }
int KEPSendVModeDown() { return SendMessageToUI2(kKEPSVModeKeyDown, {}); }
int KEPSendVModeSelect() { return SendMessageToUI2(kKEPSVModeKeySelect, {}); }

int KEPUpdateStatus() {
  if (kUpdateFlag != 1) return 0;
  ComData payload;
  payload.setObject(KEPGetStatus(), "STATUS");
  return SendComData(kKEPSUpdateStatus, payload);
}

namespace {

// The window's messages are never answered.
std::optional<std::string> KEPMessagePortCallBack(std::int32_t id, std::string_view data) {
  KEPHandleWindowMessage(id, data);
  return std::nullopt;
}

}  // namespace

int KEPInitializeMessageReceiving(platform::RunLoop& loop) {
  std::string name = std::string(kServerPortPrefix) + "." + std::to_string(getpid());
  std::error_code error;
  std::unique_ptr<platform::ports::LocalPort> port =
      platform::ports::LocalPort::create(name, KEPMessagePortCallBack, loop, error);
  IME_INFO("The message receiver server created.");
  if (!port) return -1;
  gReceiverPort = std::move(port);
  return 0;
}

void KEPCloseMessageReceiving() { gReceiverPort.reset(); }

}  // namespace imkkep
