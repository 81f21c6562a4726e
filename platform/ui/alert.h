// An alert: a message, an informative text and buttons, in a window of its own (with its own
// state file) or as a sheet on a parent window, whose state then names the parent. Buttons are
// known by keys ("BUTTON_YES", as the interface strings name them) and shown by their titles.
//
// An alert ends by a click on a button (its view's identifier is the key), by Return or a space
// (the default button), or by an answer given through the control port ("answer alert KEY"),
// which must be one of its keys. Run modally with no answer queued, it takes its default
// button and says so in the dialog log. How it ended is logged and written in its state.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runloop.h"
#include "platform/ui/dialog_answers.h"
#include "platform/ui/dialog_run.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {

// The return code of the first button added; the next ones count up from it.
inline constexpr int kAlertFirstButtonReturn = 1000;

class Alert : public Window {
 public:
  // Told the return code of the button that ended a begun alert, on the run loop.
  using EndHandler = std::function<void(int return_code)>;

  // The alert joins `registry` (the program's control port reaches it) under `name`; end
  // handlers are queued on `loop`. Both must outlive the alert.
  Alert(WindowRegistry& registry, RunLoop& loop, std::string program,
        std::string name = "alert");
  ~Alert() override;

  const std::string& message_text() const { return message_; }
  void set_message_text(std::string text);
  const std::string& informative_text() const { return informative_; }
  void set_informative_text(std::string text);

  // Adds a button at the left of those before it; its return code, or -1 for an empty or a
  // repeated key, or while the alert runs. The first button added is the default until
  // set_default_button.
  int add_button(std::string key, std::string title);
  // False for a key the alert has no button for.
  bool set_default_button(std::string_view key);
  const std::string& default_button() const { return default_key_; }
  // -1 for a key the alert has no button for.
  int return_code(std::string_view key) const;

  // Shows the alert, takes the answer queued for it (or its default button, logged), hides it
  // and returns the button's return code; -1 for an alert without buttons.
  int run_modal();
  // Shows the alert, as a window of its own or as a sheet at the top of `parent`, until a
  // click or an answer (one queued already is taken at once) ends it; `on_end` then runs on the
  // loop with the return code. A sheet runs through the window's sheet path
  // (Window::begin_sheet): the parent's delegate places it and is told of its end, and the
  // sheet-ended notification is posted. False, and nothing shown, for an alert without buttons
  // or one already running, or a sheet on a window that carries one already.
  bool begin(EndHandler on_end);
  bool begin_sheet(Window& parent, EndHandler on_end);
  bool is_running() const { return running_; }
  // The key of the button that ended the alert last; "" before it ended.
  const std::string& answer() const { return answer_; }

  bool can_become_key() const override { return true; }
  bool key_down(std::string_view characters) override;

 private:
  struct AlertButton {
    std::string key;
    std::string title;
  };

  bool start(EndHandler on_end, Window* parent, bool modal);
  // The alert's views for its texts and buttons; the frame fits them.
  void build_views();
  // "" when `key` is one of the buttons, else why the answer is refused.
  std::string check_answer(const DialogAnswers::Values& values) const;
  void end(const std::string& key, std::string_view how);
  void show_summary();
  std::string described_message() const;

  std::string message_;
  std::string informative_;
  std::vector<AlertButton> buttons_;
  std::string default_key_;
  std::string parent_;
  std::string answer_;
  std::string answered_by_;
  bool running_ = false;
  DialogRun run_;
};

}  // namespace platform::ui
