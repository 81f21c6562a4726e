#include "IMKKEP/controller/KEPInputController.h"

#include <strings.h>

#include "CoreSource/base/config.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/config_reload.h"
#include "CoreSource/text/candidate_text.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/controller/KEPAppInputState.h"
#include "IMKKEP/companions/KEPCompanions.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/controller/KEPSilentList.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "platform/bundle.h"
#include "platform/notify.h"

namespace imkkep {
namespace {

constexpr const char* kServerInputSourceName = "IMKKEP";
constexpr std::int32_t kDeactivateMessage = 101;
constexpr std::uint32_t kFreshConversation = 0xFFFFFFFFu;
constexpr std::size_t kConversationTableWarning = 200;
constexpr int kSwitchCapsLock = 0x10000;
constexpr int kSwitchShift = 0x20000;
// Processor types by the client's word width: a 64-bit process carries bit 0x1000000.
constexpr std::int32_t kProcessor64 = 0x1000007;
constexpr std::int32_t kProcessor32 = 0x7;

std::uintptr_t table_key(const ime_conversation_t* conversation) {
  return reinterpret_cast<std::uintptr_t>(conversation);
}

bool setting(const char* key, int fallback) { return ime_config_get_bool(key, fallback) != 0; }

// The composition text with the syllable separators left out: the client takes it as the
// text the user typed.
std::optional<std::string> composition_text(ime_conversation_t* c) {
  ime_clear_mark(c);
  int caret = IME_MARKED_NO_SEPARATORS;
  return ime_marked_buffer2(c, &caret);
}

}  // namespace

std::unique_ptr<KEPInputController> KEPInputController::create(platform::imk::Client& client) {
  std::unique_ptr<KEPInputController> controller(new KEPInputController(client));
  if (ime_new_conversation(&controller->_convsHandle) != 0) {
    KEPLogAlways("Create the conversation failed!");
    return nullptr;
  }
  ime_conversation_t* c = controller->_convsHandle;
  kConvsTable.try_emplace(table_key(c), ConversationHandle{c});
  c->switch_flag = 0;
  c->iflag = kFreshConversation;
  if (client.info().can_override_keyboard) {
    const char* layout = ime_config_get_string("KeyboardLayout", nullptr);
    if (layout != nullptr) client.override_keyboard(layout);
  }
  return controller;
}

KEPInputController::KEPInputController(platform::imk::Client& client) : client_(&client) {}

KEPInputController::~KEPInputController() {
  stopBeingActive();
  if (_convsHandle != nullptr) {
    kConvsTable.erase(table_key(_convsHandle));
    ime_free_conversation(&_convsHandle);
  }
}

void KEPInputController::stopBeingActive() {
  if (gActiveSession == this) gActiveSession = nullptr;
  if (_convsHandle != nullptr && ime_current_convs == _convsHandle) ime_current_convs = nullptr;
}

void KEPInputController::activateServer(platform::imk::Client& client) {
  inProcessing = false;
  if (gActiveSession == this) {
    KEPLog("Active server %p is equal to current. Ignore...", static_cast<void*>(this));
    return;
  }
  gActiveSession = this;
  KEPLog("=======> Activate server:%p", static_cast<void*>(this));
  if (kConvsTable.size() > kConversationTableWarning) {
    KEPLogAlways("IMKKEP: Conversation handle table is over %zu objects.",
                 kConversationTableWarning);
  }
  // Settings and dictionaries changed on disk are taken in at each activation.
  IMEReload();
  KEPLaunchSoftwareUpdater();
  if (firstStartup && ime_big5_output) _convsHandle->mode |= IME_MODE_TRADITIONAL;
  firstStartup = false;

  const platform::imk::ClientInfo& info = client.info();
  kCurrentProcessName = info.application_path;
  gActiveArch = info.application_path.empty() || info.word_width != 32 ? kProcessor64
                                                                       : kProcessor32;
  KEPLog("Activate server:%p in %s", static_cast<void*>(this),
         kCurrentProcessName.empty() ? "NULL" : kCurrentProcessName.c_str());
  ime_current_convs = _convsHandle;

  ime_conversation_t* c = _convsHandle;
  if (setting("KeepWindowState", 0)) KEPRestoreAppInputState(kCurrentProcessName, c);
  if (c->iflag == kFreshConversation) {
    KEPLog("Initialize the handle %p iflag...", static_cast<void*>(c));
    c->iflag = 0;
    c->full_width_char = 0;
    c->full_width_punct = setting("ProportionalWidthPunctation", 0) ? 0 : 1;
    c->full_width_space = setting("FullWidthSpace", 0) ? 1 : 0;
    c->switch_flag = 0;
  }
  applyEnglishModeAtActivation(client);
  appIdentifier = info.bundle_identifier;
  specialApp = isSpecialApp() ? 1 : 0;
  applySilentList(info);
  // The menu shows this context's modes before the window is told them.
  applyModesToMenu();
  KEPLog("Post active message...");
  KEPSendActiveMessage(this);
  showPendingComposition();
  const char* layout = ime_config_get_string("KeyboardLayout", "");
  if (layout != nullptr && *layout != '\0' && info.can_override_keyboard) {
    client.override_keyboard(layout);
  }
  KEPLog("Activate done.[%x]", c->iflag);
}

void KEPInputController::applyEnglishModeAtActivation(platform::imk::Client& client) {
  ime_conversation_t* c = _convsHandle;
  const bool light = client.caps_lock_on();
  const bool typing = c->inoff > 0;
  const bool reverse = setting("ReverseCapsLock", 0);
  KEPLog("Activate switch=%d, space=%d punct=%d char=%d roman=%d.", switch_mode,
         c->full_width_space, c->full_width_punct, c->full_width_char, c->roman_mode);
  if (switch_mode == kSwitchCapsLock) {
    const bool caps_means_english = light && !typing;
    const bool english = reverse ? !caps_means_english : caps_means_english;
    KEPLog(english ? "Caps lock is on.. set to english mode." : "Caps lock is off.. set to Chinese mode.");
    KEPSetEnglishMode2(c, english ? 1 : 0);
    // With Caps Lock reversed, punctuation is full-width only while the light is on.
    if (reverse && c->full_width_punct != 0 && (!light || typing)) c->full_width_punct = 0;
  } else if (switch_mode == kSwitchShift) {
    KEPSetEnglishMode2(c, c->roman_mode);
  }
}

void KEPInputController::showPendingComposition() {
  ime_conversation_t* c = _convsHandle;
  if (c->inoff > 0 && c->ncand > 0 && c->roman_mode == 0 &&
      (c->mode & (IME_MODE_D | IME_MODE_V)) == 0) {
    if (std::optional<std::string> buffer = ime_candidate_buffer(c)) {
      KEPSendInputText(this, buffer, 9);
      KEPShowCandidateWindow(this);
    } else {
      KEPHideVModeWindow(this);
    }
  } else if (c->inoff == 0 && c->ncand == 0) {
    KEPHideCandidateWindow(this);
  }
}

void KEPInputController::applySilentList(const platform::imk::ClientInfo& info) {
  KEPLog("Check the current KeepSilent list...");
  silent_mode = 0;
  const char* lists = ime_config_get_string("SilentLists", "");
  if (setting("KeepSilent", 0) && lists != nullptr && *lists != '\0' &&
      !info.application_path.empty()) {
    const SilentVerdict verdict = KEPCheckSilentList(
        lists, info.application_path, info.bundle_identifier, setting("CounterSilentList", 0));
    silent_mode = verdict.silent ? 1 : 0;
    if (verdict.by_bundle_identifier) kCurrentProcessName = verdict.listed_path;
    if (verdict.silent) {
      const std::string& name =
          verdict.listed_path.empty() ? info.application_path : verdict.listed_path;
      PostGrowlLocalizedString("Silent Mode", name, "GO_SILENT_MODE", " enter silent mode.");
      KEPAppDelegate::shared().closeAccPanel();
    }
  }
  KEPLog("Setup the silent menu item.");
}

void KEPInputController::deactivateServer(platform::imk::Client& client,
                                          platform::imk::DeactivationReason reason,
                                          std::string_view new_input_source) {
  KEPLog("=======>Deactivate server :%p.", static_cast<void*>(this));
  // The modes belong to this controller's application, whichever was activated last.
  if (setting("KeepWindowState", 0)) {
    KEPSaveAppInputState(client.info().application_path, _convsHandle);
  }
  if (reason == platform::imk::DeactivationReason::InputSourceChanged &&
      !new_input_source.empty() &&
      (new_input_source.size() != std::string_view(kServerInputSourceName).size() ||
       strncasecmp(new_input_source.data(), kServerInputSourceName, new_input_source.size()) !=
           0)) {
    KEPAccessory* accessory = KEPAppDelegate::shared().accessory();
    if (accessory != nullptr && accessory->panel().is_visible()) {
      platform::notify::NotificationCenter::local().post({"CLOSEACC", ""});
    }
    SendMessageToUI2(kDeactivateMessage, {});
  }
  stopBeingActive();
}

void KEPInputController::commitComposition(platform::imk::Client& /*client*/) {
  ime_clear_mark(_convsHandle);
  _convsHandle->buildmode = 2;
  KEPUpdateActiveInputArea(this, kCommitComposed);
  KEPHideCandidateWindow(this);
  KEPHideVModeWindow(this);
  ime_convs_reset(_convsHandle);
}

std::optional<std::string> KEPInputController::originalString(platform::imk::Client& /*client*/) {
  if (_convsHandle == nullptr) return std::nullopt;
  return composition_text(_convsHandle);
}

std::optional<std::string> KEPInputController::composedString(platform::imk::Client& /*client*/) {
  if (_convsHandle->inoff == 0) return std::nullopt;
  std::optional<std::string> text = composition_text(_convsHandle);
  ime_convs_reset(_convsHandle);
  KEPHideVModeWindow(this);
  KEPHideCandidateWindow(this);
  return text;
}

bool KEPInputController::isSpecialApp() const {
  if (appIdentifier.empty()) return false;
  const std::optional<platform::Bundle> bundle = platform::Bundle::find(kServerBundleIdentifier);
  if (!bundle) return false;
  const platform::plist::Value* apps = bundle->info().find("SpecialApps");
  const platform::plist::Array* list = apps != nullptr ? apps->as_array() : nullptr;
  if (list == nullptr) return false;
  for (const platform::plist::Value& entry : *list) {
    const std::string* name = entry.as_string();
    if (name != nullptr && strcasecmp(name->c_str(), appIdentifier.c_str()) == 0) return true;
  }
  return false;
}

int KEPSessionFix(KEPInputController* controller) {
  if (controller == nullptr || controller->conversation()->inoff == 0) return 0;
  ime_conversation_t* c = controller->conversation();
  ime_clear_mark(c);
  c->buildmode = 2;
  const int result = KEPUpdateActiveInputArea(controller, kCommitComposed);
  KEPHideCandidateWindow(controller);
  ime_convs_reset(c);
  return result;
}

std::unique_ptr<platform::imk::InputController> KEPInputMethod::createController(
    platform::imk::Client& client) {
  return KEPInputController::create(client);
}

}  // namespace imkkep
