// The engine's client of the converter service (port "KEPCCServerPort"), used in
// traditional-output mode to turn candidate text into traditional characters.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "services/service_peer.h"

inline constexpr std::int32_t QA_MSG_CONVERT_CHINESE = 100;

// Send and receive time-out of a conversion, each, in milliseconds: a conversion is asked while
// a key waits (services/service_peer.h). Tests raise it for programs that start slowly.
extern int ime_converter_timeout_ms;

// Sends `request` as message `msgid` to the local port `port_name` and waits for the reply,
// `timeout` for the send and again for the reply. 0 on success, with the reply bytes in
// `reply` (nullopt when the service gave no reply data); -2 when nobody serves the port (at
// once) or the send or the reply failed or timed out. No rest and no hook: a plain request.
int QASendDataToServer(const char* port_name, std::int32_t msgid, std::string_view request,
                       std::optional<std::string>* reply,
                       std::chrono::milliseconds timeout =
                           std::chrono::milliseconds(IME_SERVICE_TIMEOUT_MS));

// Converts `length` bytes of UTF-8 `text` through the service. Returns the converted length
// with the text in `out`; -1 for a missing argument, -2 when the service cannot be reached,
// does not answer in time or is left alone after such a time-out, -5 when it answers with an
// error status or with no well-formed reply.
int QAConvertChinese(const char* text, std::size_t length, std::string* out);
