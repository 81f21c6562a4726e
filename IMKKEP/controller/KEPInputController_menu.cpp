// The input menu as each controller offers it, and the actions of its mode items.
#include <mutex>

#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/start/config_reload.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

constexpr int kFullPinyin = 0;
constexpr int kDoublePinyin = 1;
constexpr int kCodeTable = 2;

}  // namespace

std::vector<platform::imk::MenuItem> KEPInputController::menu() {
  std::vector<platform::imk::MenuItem> listed;
  for (const platform::ui::MenuItem& item : KEPAppDelegate::shared().menu().items()) {
    listed.push_back({item.tag, item.title, item.state, item.key_equivalent, item.key_modifiers,
                      item.enabled, item.separator});
  }
  return listed;
}

void KEPInputController::invokeMenuItem(int tag, platform::imk::Client& /*client*/) {
  // A menu action changes the engine's modes as a key would.
  std::lock_guard<std::mutex> lock(_handleLocker);
  KEPAppDelegate::shared().perform(tag, *this);
}

void KEPInputController::applyModesToMenu() {
  ime_conversation_t* c = _convsHandle;
  KEPSetFullPunctMode(c, c->full_width_punct);
  KEPSetFullCharMode(c, c->full_width_char);
  KEPSetMenuItemOn(kMenuTradOutput, (c->mode & IME_MODE_TRADITIONAL) != 0);
  KEPSetMenuItemOn(kMenuSilent, silent_mode != 0);
  KEPSetPinyinMode(this);
  KEPApplyMenuShortcuts();
}

void KEPInputController::endMenuAction() const { _convsHandle->switch_flag = 0; }

void KEPInputController::setFullPunctMode(platform::ui::MenuItem& /*sender*/) {
  KEPSetFullPunctMode(_convsHandle, _convsHandle->full_width_punct == 0 ? 1 : 0);
  endMenuAction();
}

void KEPInputController::setFullWidthRoman(platform::ui::MenuItem& /*sender*/) {
  if (_convsHandle->full_width_char != 0) {
    KEPSetFullCharMode(_convsHandle, 0);
  } else {
    KEPSetFullCharMode(_convsHandle, 1);
    // What was typed goes in as typed: full-width letters cannot continue a pinyin composition.
    KEPSessionFix(this);
  }
  endMenuAction();
}

void KEPInputController::setFullWidthSpace(platform::ui::MenuItem& /*sender*/) {
  KEPSetHZSpace(_convsHandle);
  endMenuAction();
}

void KEPInputController::setRomanMode(platform::ui::MenuItem& /*sender*/) {
  KEPSetEnglishMode(_convsHandle, _convsHandle->roman_mode == 0 ? 1 : 0);
  endMenuAction();
}

void KEPInputController::setTradOutput(platform::ui::MenuItem& /*sender*/) {
  if (ime_switch_big5 != 0) KEPSwitchSimplTrad(ime_current_convs);
  endMenuAction();
}

void KEPInputController::setInputScheme(int scheme) {
  ime_mode = scheme;
  KEPSetPinyinMode(this);
  setInputMode = scheme;
  endMenuAction();
}

void KEPInputController::setPinyinMode(platform::ui::MenuItem& /*sender*/) {
  setInputScheme(kFullPinyin);
}

void KEPInputController::setDoublePinyinMode(platform::ui::MenuItem& /*sender*/) {
  KEPLog("Set double pinyin..");
  setInputScheme(kDoublePinyin);
}

void KEPInputController::setPlugMode(platform::ui::MenuItem& /*sender*/) {
  setInputScheme(kCodeTable);
}

void KEPInputController::setSilentMode(platform::ui::MenuItem& /*sender*/) {
  const int was_silent = silent_mode;
  silent_mode = silent_mode == 0 ? 1 : 0;
  if (was_silent != 0) {
    PostGrowlLocalizedString("Silent Mode", kCurrentProcessName, "GO_NORMAL_MODE",
                             " Back to input mode.");
  } else {
    PostGrowlLocalizedString("Silent Mode", kCurrentProcessName, "GO_SILENT_MODE",
                             " enter silent mode.");
  }
  KEPSetMenuItemOn(kMenuSilent, silent_mode != 0);
  endMenuAction();
}

}  // namespace imkkep
