// What the dialogs (alerts, open panels) share while they run: shown as a window of their own
// or as a sheet (Window::begin_sheet), answers of their kind from the program's registry (one
// queued already is taken as the run starts), the end told on the run loop, and a line in the
// dialog log saying how each run ended. Internal to platform/ui.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/runloop.h"
#include "platform/ui/dialog_answers.h"
#include "platform/ui/window.h"
#include "platform/ui/window_registry.h"

namespace platform::ui {

class DialogRun {
 public:
  using EndHandler = std::function<void(int return_code)>;
  // Checks an answer (`how`: "by an answer", "by a queued answer") and ends the dialog when it
  // takes it: "" then, else why it is refused.
  using Answerer = std::function<std::string(const DialogAnswers::Values& values,
                                             std::string_view how)>;

  // `dialog`, `registry` and `loop` must outlive the run; answers of `kind` reach it.
  DialogRun(Window& dialog, WindowRegistry& registry, RunLoop& loop, std::string_view kind);
  ~DialogRun();
  DialogRun(const DialogRun&) = delete;
  DialogRun& operator=(const DialogRun&) = delete;

  // Shows the dialog as a sheet on `parent` (the caller checked can_begin_sheet) or centred
  // on its own, key and displayed. Then a queued answer is offered to `answer` (a refused one
  // is logged under `described`, the dialog's name in the log); when none was taken and the
  // run is not modal, answers of the kind go to `answer` until finish.
  void start(Window* parent, EndHandler on_end, bool modal, const std::string& described,
             Answerer answer);
  // Takes no more answers, logs "<described> answered <answer> <how>" ("answered by default:
  // <answer>" for "by default"), hides the dialog and displays it, and tells of the end with
  // `return_code`: through the sheet path, or to the end handler on the loop.
  void finish(int return_code, const std::string& described, std::string_view answer,
              std::string_view how);

 private:
  void stop_waiting();

  Window& dialog_;
  WindowRegistry& registry_;
  RunLoop& loop_;
  std::string kind_;
  EndHandler end_handler_;
  DialogAnswers::WaiterId waiter_ = 0;
};

}  // namespace platform::ui
