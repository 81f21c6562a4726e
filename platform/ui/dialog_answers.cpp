#include "platform/ui/dialog_answers.h"

#include <algorithm>

namespace platform::ui {

DialogAnswers::WaiterId DialogAnswers::wait(std::string kind, Taker taker) {
  const WaiterId id = next_id_++;
  waiting_.push_back(Waiter{id, std::move(kind), std::move(taker)});
  return id;
}

void DialogAnswers::stop_waiting(WaiterId id) {
  std::erase_if(waiting_, [id](const Waiter& waiter) { return waiter.id == id; });
}

std::optional<DialogAnswers::Values> DialogAnswers::take_queued(std::string_view kind) {
  auto found = queued_.find(kind);
  if (found == queued_.end() || found->second.empty()) return std::nullopt;
  Values values = std::move(found->second.front());
  found->second.pop_front();
  return values;
}

std::size_t DialogAnswers::queued(std::string_view kind) const {
  auto found = queued_.find(kind);
  return found == queued_.end() ? 0 : found->second.size();
}

std::string DialogAnswers::answer(const std::string& kind, Values values) {
  auto waiter = std::find_if(waiting_.begin(), waiting_.end(),
                             [&](const Waiter& each) { return each.kind == kind; });
  if (waiter != waiting_.end()) {
    // A copy: taking the answer ends the dialog, which stops its waiting.
    Taker taker = waiter->taker;
    return taker(values);
  }
  std::deque<Values>& queue = queued_[kind];
  if (queue.size() >= kMaxQueued) return "too many " + kind + " answers queued";
  queue.push_back(std::move(values));
  return {};
}

}  // namespace platform::ui
