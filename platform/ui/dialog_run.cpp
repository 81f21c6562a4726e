#include "platform/ui/dialog_run.h"

#include <optional>
#include <utility>

#include "platform/ui/dialog_log.h"

namespace platform::ui {

DialogRun::DialogRun(Window& dialog, WindowRegistry& registry, RunLoop& loop,
                     std::string_view kind)
    : dialog_(dialog), registry_(registry), loop_(loop), kind_(kind) {}

DialogRun::~DialogRun() { stop_waiting(); }

void DialogRun::stop_waiting() {
  if (waiter_ != 0) registry_.answers().stop_waiting(waiter_);
  waiter_ = 0;
}

void DialogRun::start(Window* parent, EndHandler on_end, bool modal,
                      const std::string& described, Answerer answer) {
  if (parent != nullptr) {
    // The sheet path places it, shows and displays it, and runs the end handler with the
    // parent's delegate and the sheet-ended notification.
    dialog_.begin_sheet(*parent, loop_, std::move(on_end));
  } else {
    end_handler_ = std::move(on_end);
    dialog_.center();
    dialog_.make_key_and_order_front();
    dialog_.display_reporting_errors();
  }
  if (std::optional<DialogAnswers::Values> queued = registry_.answers().take_queued(kind_)) {
    const std::string refused = answer(*queued, "by a queued answer");
    if (refused.empty()) return;
    dialog_log(described + ": the queued answer is refused: " + refused);
  }
  // A modal run ends itself when nothing was taken; a begun one waits.
  if (modal) return;
  waiter_ = registry_.answers().wait(
      kind_, [answer = std::move(answer)](const DialogAnswers::Values& values) {
        return answer(values, "by an answer");
      });
}

void DialogRun::finish(int return_code, const std::string& described, std::string_view answer,
                       std::string_view how) {
  stop_waiting();
  if (how == "by default") {
    dialog_log(described + " answered by default: " + std::string(answer));
  } else {
    dialog_log(described + " answered " + std::string(answer) + " " + std::string(how));
  }
  if (dialog_.is_sheet()) {
    dialog_.end_sheet(return_code);
    return;
  }
  dialog_.order_out();
  dialog_.display_reporting_errors();
  if (end_handler_) {
    EndHandler handler = std::move(end_handler_);
    end_handler_ = nullptr;
    loop_.perform([handler = std::move(handler), return_code] { handler(return_code); });
  }
}

}  // namespace platform::ui
