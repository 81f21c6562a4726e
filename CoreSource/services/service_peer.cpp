#include "services/service_peer.h"

#include <mutex>
#include <system_error>
#include <utility>

#include "base/imelog.h"

ime_service_peer_t ime_converter_service{"KEPCCServerPort", "IMKKEPSimp2TradConverter.app",
                                         "The converter", "Send data to DUZUduriv failed.",
                                         std::nullopt, false};
ime_service_peer_t ime_sentence_service{"KEPCPServerPort", "IMKKEPSentenceParser.app",
                                        "The sentence service", "Send data failed!",
                                        std::nullopt, false};

namespace {

using Clock = std::chrono::steady_clock;

ime_service_gone_hook_t& gone_hook() {
  static ime_service_gone_hook_t hook;
  return hook;
}

ime_service_clock_t service_clock = nullptr;

// Guards the peers' rest and outage state: a benchmark or a tool may convert from several
// threads; the engine itself asks from one.
std::mutex state_mutex;

Clock::time_point now() { return service_clock != nullptr ? service_clock() : Clock::now(); }

bool timed_out(platform::ports::SendStatus status) {
  return status == platform::ports::SendStatus::SendTimeout ||
         status == platform::ports::SendStatus::ReceiveTimeout;
}

bool resting_locked(ime_service_peer_t* peer) {
  if (!peer->resting_until) return false;
  if (now() < *peer->resting_until) return true;
  peer->resting_until.reset();
  return false;
}

void rest_locked(ime_service_peer_t* peer, int timeout_ms) {
  if (resting_locked(peer)) return;
  IME_ERROR("%s did not answer in %d ms; not asked for %d s.", peer->title, timeout_ms,
            static_cast<int>(IME_SERVICE_REST.count()));
  peer->resting_until = now() + IME_SERVICE_REST;
}

}  // namespace

platform::ports::SendStatus ime_service_send(const char* port_name, std::int32_t msgid,
                                             std::string_view request,
                                             std::optional<std::string>* reply,
                                             std::chrono::milliseconds timeout) {
  reply->reset();
  std::error_code error;
  auto remote = platform::ports::RemotePort::open(port_name, error, timeout);
  // A service that has stopped taking connections fills its queue; connecting then waits the
  // bound and gives up, which counts as the service not answering.
  if (!remote) return platform::ports::open_failure_status(error);
  platform::ports::Reply answer = remote->send(msgid, request, timeout, timeout);
  if (answer.status == platform::ports::SendStatus::Success) *reply = std::move(answer.data);
  return answer.status;
}

bool ime_service_resting(ime_service_peer_t* peer) {
  std::lock_guard lock(state_mutex);
  return resting_locked(peer);
}

void ime_service_rest(ime_service_peer_t* peer, int timeout_ms) {
  std::lock_guard lock(state_mutex);
  rest_locked(peer, timeout_ms);
}

void ime_service_forget(ime_service_peer_t* peer) {
  std::lock_guard lock(state_mutex);
  peer->resting_until.reset();
  peer->failing = false;
}

int ime_service_request(ime_service_peer_t* peer, std::int32_t msgid, std::string_view request,
                        std::optional<std::string>* reply, int timeout_ms) {
  reply->reset();
  if (ime_service_resting(peer)) return -2;
  // A zero or negative bound would turn "wait" into "fail at once" or worse.
  const int bound = timeout_ms > 0 ? timeout_ms : 1;
  const platform::ports::SendStatus status =
      ime_service_send(peer->port_name, msgid, request, reply, std::chrono::milliseconds(bound));
  {
    std::lock_guard lock(state_mutex);
    if (status == platform::ports::SendStatus::Success) {
      peer->failing = false;
      return 0;
    }
    IME_DEBUG("Port %s: message %d failed: %s", peer->port_name, msgid,
              platform::ports::describe(status));
    // A service that is not running fails every key at once: one line per outage.
    if (!peer->failing) IME_ERROR("%s", peer->failure_line);
    peer->failing = true;
    if (timed_out(status)) rest_locked(peer, bound);
  }
  if (status == platform::ports::SendStatus::InvalidPort) {
    if (const ime_service_gone_hook_t& hook = gone_hook()) hook(peer->program);
  }
  return -2;
}

void ime_set_service_gone_hook(ime_service_gone_hook_t hook) { gone_hook() = std::move(hook); }

void ime_set_service_clock_for_testing(ime_service_clock_t clock) { service_clock = clock; }
