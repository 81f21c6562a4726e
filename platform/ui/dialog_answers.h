// Answers for dialogs, given through the control port ("answer KIND VALUE..."). An answer goes
// to the oldest dialog of its kind that is showing and waits for one, which checks it against
// its own rules; with none showing, it is queued for the next dialog of that kind to run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

class DialogAnswers {
 public:
  using Values = std::vector<std::string>;
  // A showing dialog's check of an answer: "" when it took the answer, else why not.
  using Taker = std::function<std::string(const Values& values)>;
  using WaiterId = std::uint64_t;

  // At most this many answers wait per kind; a test that queues more has lost count.
  static constexpr std::size_t kMaxQueued = 32;

  // A dialog of `kind` is showing and takes answers from now on, until stop_waiting.
  WaiterId wait(std::string kind, Taker taker);
  void stop_waiting(WaiterId id);

  // The oldest queued answer of `kind`, removed from the queue.
  std::optional<Values> take_queued(std::string_view kind);
  std::size_t queued(std::string_view kind) const;

  // Hands the answer to the oldest dialog of `kind` waiting, or queues it when none is; ""
  // when taken or queued, else the reason (the dialog's, or a full queue).
  std::string answer(const std::string& kind, Values values);

 private:
  struct Waiter {
    WaiterId id;
    std::string kind;
    Taker taker;
  };
  std::vector<Waiter> waiting_;
  std::map<std::string, std::deque<Values>, std::less<>> queued_;
  WaiterId next_id_ = 1;
};

}  // namespace platform::ui
