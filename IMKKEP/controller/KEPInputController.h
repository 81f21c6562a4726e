// The input controller: one per input context of a client application. It owns the engine
// conversation the context types into and answers the framework's calls for that context.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/imk/input_method.h"
#include "platform/ui/menu.h"

struct ime_conversation_t;

namespace imkkep {

struct Point {
  double x = 0;
  double y = 0;
};

class KEPInputController : public platform::imk::InputController {
 public:
  // nullptr when the conversation cannot be built (logged).
  static std::unique_ptr<KEPInputController> create(platform::imk::Client& client);
  ~KEPInputController() override;
  KEPInputController(const KEPInputController&) = delete;
  KEPInputController& operator=(const KEPInputController&) = delete;

  bool handleEvent(const platform::imk::Event& event, platform::imk::Client& client) override;
  void activateServer(platform::imk::Client& client) override;
  void deactivateServer(platform::imk::Client& client, platform::imk::DeactivationReason reason,
                        std::string_view new_input_source) override;
  void commitComposition(platform::imk::Client& client) override;
  std::optional<std::string> originalString(platform::imk::Client& client) override;
  std::optional<std::string> composedString(platform::imk::Client& client) override;
  // The application delegate's input menu, and its items run for this controller.
  std::vector<platform::imk::MenuItem> menu() override;
  void invokeMenuItem(int tag, platform::imk::Client& client) override;

  // The input menu's mode actions; `sender` is the item chosen.
  void setFullPunctMode(platform::ui::MenuItem& sender);
  void setFullWidthRoman(platform::ui::MenuItem& sender);
  void setFullWidthSpace(platform::ui::MenuItem& sender);
  void setRomanMode(platform::ui::MenuItem& sender);
  void setTradOutput(platform::ui::MenuItem& sender);
  void setPinyinMode(platform::ui::MenuItem& sender);
  void setDoublePinyinMode(platform::ui::MenuItem& sender);
  void setPlugMode(platform::ui::MenuItem& sender);
  void setSilentMode(platform::ui::MenuItem& sender);

  ime_conversation_t* conversation() const { return _convsHandle; }
  // The context's client; valid for the controller's whole life.
  platform::imk::Client& client() const { return *client_; }
  Point lastLocation() const { return {_lastX, _lastY}; }
  void setLastLocation(Point point) {
    _lastX = point.x;
    _lastY = point.y;
  }
  bool isSpecialApp() const;

  std::uint64_t lastModifier = 0;
  std::int32_t setInputMode = -1;
  std::string appIdentifier;
  char specialApp = 0;
  bool inProcessing = false;
  bool firstStartup = true;

 private:
  explicit KEPInputController(platform::imk::Client& client);
  void recoverFromFailedKey();
  // Shows the active controller's modes and the user's shortcuts in the input menu.
  void applyModesToMenu();
  // Whether the server leaves this application alone (silent mode), with a notice when it does.
  void applySilentList(const platform::imk::ClientInfo& info);
  // English mode from the Caps Lock light and the switch key, when the context comes back.
  void applyEnglishModeAtActivation(platform::imk::Client& client);
  // A composition left open shows its candidates again; with none, the window closes.
  void showPendingComposition();
  // Ends an action of the menu: a switch key pressed before it must not toggle English after.
  void endMenuAction() const;
  void setInputScheme(int scheme);
  // Forgets this controller wherever the server and the engine remember the active one.
  void stopBeingActive();

  ime_conversation_t* _convsHandle = nullptr;
  double _lastX = 0;
  double _lastY = 0;
  platform::imk::Client* client_;
};

// Commits what a controller has typed after a failure in key handling; 0 when nothing was typed.
int KEPSessionFix(KEPInputController* controller);

// The server's input method: a KEPInputController per context.
class KEPInputMethod : public platform::imk::InputMethod {
 public:
  std::unique_ptr<platform::imk::InputController> createController(
      platform::imk::Client& client) override;
};

}  // namespace imkkep
