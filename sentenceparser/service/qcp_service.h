// The sentence service's port "KEPCPServerPort" and the handler that answers its messages.
//
//   100 QCP_MSG_CONVERT_STREAM  pinyin, "_" between items  -> "000:" + GBK text + 0xFF + one
//                                                             flag byte per item ('_' word end,
//                                                             '0' not), or "003:Convert stream
//                                                             '<payload>' failed."
//   101 QCP_MSG_LEARN_TEXT      pinyin + 0xFF + GBK text   -> "000:S", or "002:Invalid format."
//   102 QCP_MSG_FILL_PY         GBK text                   -> "002:Fill failed."
//   any other id                                           -> no reply data
//
// Every reply fits kQCPReplyMax bytes; a failure text quoting a long payload is cut at a GBK
// character boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CoreSource/services/sentence_client.h"
#include "platform/runloop.h"

inline constexpr const char* kQCPServerPortName = "KEPCPServerPort";

// Longest reply, in bytes (the service's 1024-byte buffers less their terminator).
inline constexpr std::size_t kQCPReplyMax = 1023;
// Payloads up to this length are copied into a fixed buffer; longer ones onto the heap.
inline constexpr std::size_t kQCPFixedPayloadMax = 1022;

enum {
  QCP_STATUS_OK = 0,
  QCP_STATUS_BAD_REQUEST = 2,
  QCP_STATUS_CONVERT_FAILED = 3,
  QCP_STATUS_SAVE_FAILED = 4,
};

// "%03d:" followed by `format` filled with the arguments, cut to kQCPReplyMax bytes at a GBK
// character boundary. No terminator.
std::string QCError(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Answers one message of the port: the reply bytes, or nullopt for no reply data. After
// QCPStopAccepting every message gets no reply data.
std::optional<std::string> QCPMessageCallback(std::int32_t msgid, std::string_view data);

// Serves the port from `loop` and accepts messages again. 0, or non-zero (logged) when the port cannot be created: another
// live process serves the name, or the runtime folder is refused.
int QCPInitialize(platform::RunLoop& loop);

// From now on every message gets no reply data (power-off). Safe inside a run-loop callback.
void QCPStopAccepting();
// Closes the port; call once the run loop has stopped.
void QCPShutdown();

// The length of the longest prefix of `text` (at most `limit` bytes) that ends on a GBK
// character boundary: a lead byte whose trail was cut off is left out.
std::size_t gbk_prefix_length(std::string_view text, std::size_t limit);
