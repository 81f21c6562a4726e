// When the sentence service is asked: only while it is in use and answers in time.
#include "base/settings_keys.h"
#include "match/convs_sentence.h"
#include "services/sentence_client.h"
#include "services/service_peer.h"
#include "start/config_reload.h"

bool ime_sentence_service_in_use() {
  if (ime_full_convert == 0 || !ime_setting_bool("EnableTAV")) return false;
  return !ime_service_resting(&ime_sentence_service);
}

void ime_sentence_service_answered(bool answered, std::chrono::steady_clock::duration took) {
  // A request whose reply did not come in time has put the service to rest already; one that
  // failed otherwise only after the whole bound cost the key as much, and counts the same. A
  // refused connection fails at once and costs nothing.
  if (!answered && took >= std::chrono::milliseconds(ime_sentence_timeout_ms)) {
    ime_service_rest(&ime_sentence_service, ime_sentence_timeout_ms);
  }
}

void ime_sentence_service_forget_failures() { ime_service_forget(&ime_sentence_service); }
