// The helper services the engine asks while a key waits for its answer: the script converter
// and the sentence service. A request waits a short bound; a service that lets it go
// unanswered is left alone for a while, so that the following keys fall back at once (the
// simplified text, the engine's own sentence) instead of each waiting in turn. A service whose
// port nobody serves is reported to the host through a hook, so that it can be started again.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

// How long a request waits to be handed over, and again for its reply. A live service answers
// in a few milliseconds; a request to a fresh connection is queued by the kernel at once, so
// in practice a key waits at most the reply's bound, once per rest.
inline constexpr int IME_SERVICE_TIMEOUT_MS = 150;

// How long a service that let a request time out is left alone.
inline constexpr std::chrono::seconds IME_SERVICE_REST{30};

struct ime_service_peer_t {
  const char* port_name;       // the service's message port
  const char* program;         // the companion that serves it, "<Name>.app"
  const char* title;           // the service in the log
  const char* failure_line;    // logged once when requests start failing, until one succeeds
  std::optional<std::chrono::steady_clock::time_point> resting_until;
  bool failing = false;
};

// One request to the port `port_name`, without rests or hooks: opening a port nobody serves
// fails at once (InvalidPort), as does a connection the service closed.
platform::ports::SendStatus ime_service_send(const char* port_name, std::int32_t msgid,
                                             std::string_view request,
                                             std::optional<std::string>* reply,
                                             std::chrono::milliseconds timeout);

extern ime_service_peer_t ime_converter_service;
extern ime_service_peer_t ime_sentence_service;

// Sends `request` as message `msgid` to the peer's port, waiting at most `timeout_ms` each way.
// 0 with the reply bytes in `reply` (nullopt when the service gave no reply data); -2 at once
// while the peer rests or when nobody serves its port (the gone hook is told), -2 after the
// time-out when it does not answer, which starts a rest.
int ime_service_request(ime_service_peer_t* peer, std::int32_t msgid, std::string_view request,
                        std::optional<std::string>* reply, int timeout_ms);

// Whether the peer is being left alone; a rest that is over ends here.
bool ime_service_resting(ime_service_peer_t* peer);
// Starts a rest (one log line, unless it already rests).
void ime_service_rest(ime_service_peer_t* peer, int timeout_ms);
// Ends a rest and forgets a failing outage (a host that restarted the service, tests).
void ime_service_forget(ime_service_peer_t* peer);

// Called with the peer's program ("<Name>.app") each time its port turns out not to be served,
// on the thread that made the request. The host rate-limits restarts itself. nullptr: nobody.
using ime_service_gone_hook_t = std::function<void(std::string_view program)>;
void ime_set_service_gone_hook(ime_service_gone_hook_t hook);

// The clock rests are measured by; nullptr restores the steady clock. Tests move it forward
// instead of waiting out a rest.
using ime_service_clock_t = std::chrono::steady_clock::time_point (*)();
void ime_set_service_clock_for_testing(ime_service_clock_t clock);
