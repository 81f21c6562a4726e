// The window's messages to the server, on the port of the server that last configured it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kepcandidate {

// The process id of the last message 100 that had one; 0 before any.
std::int32_t serverProcessId();
void setServerProcessId(std::int32_t pid);

// "com.corvana.inputmethod.kep.imkcandishow.<pid>"; nullopt for a pid <= 0, which names no
// process that could serve it.
std::optional<std::string> serverPortName(std::int32_t pid);

// Sends one request without waiting for a reply (10 s to hand it over): 0 on success, -1 when
// there is no server to address, -2 when nobody serves its port or the send failed.
int SendMessageToIM(std::int32_t id, std::string_view data);

}  // namespace kepcandidate
