// When the sentence service is asked: only while it is in use and answers in time.
#include <optional>

#include "base/imelog.h"
#include "base/settings_keys.h"
#include "match/convs_sentence.h"
#include "services/sentence_client.h"
#include "start/config_reload.h"

namespace {

using Clock = std::chrono::steady_clock;

// Set after a request went unanswered for a good part of the time-out.
std::optional<Clock::time_point> resting_until;

}  // namespace

bool ime_sentence_service_in_use() {
  if (ime_full_convert == 0 || !ime_setting_bool("EnableTAV")) return false;
  if (resting_until && Clock::now() < *resting_until) return false;
  resting_until.reset();
  return true;
}

void ime_sentence_service_answered(bool answered, Clock::duration took) {
  if (answered) {
    resting_until.reset();
    return;
  }
  // A refused connection fails at once and costs nothing; a silent service costs the
  // time-out, which typing must not pay again on the next key.
  const auto timeout = std::chrono::milliseconds(ime_sentence_timeout_ms);
  if (took >= timeout / 2) {
    IME_ERROR("The sentence service did not answer in %d ms; not asked for %d s.",
              ime_sentence_timeout_ms, static_cast<int>(IME_SENTENCE_SERVICE_REST.count()));
    resting_until = Clock::now() + IME_SENTENCE_SERVICE_REST;
  }
}

void ime_sentence_service_forget_failures() { resting_until.reset(); }
