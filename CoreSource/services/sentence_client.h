// The engine's client of the sentence service (port "KEPCPServerPort"): whole-input pinyin to
// a GBK sentence, learning a corrected sentence, and the pinyin of a GBK text. Callers fall
// back to their own composition and readings on any failure; nothing is retried.
//
// Every call runs while a key waits (a conversion and its readings on a typed key, learning on
// the committing one), so each blocks for at most ime_sentence_timeout_ms each way, and a
// service that let one time out is not asked again for a while (services/service_peer.h). When
// nobody serves the port every call fails at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "services/service_peer.h"

inline constexpr std::int32_t QCP_MSG_CONVERT_STREAM = 100;
inline constexpr std::int32_t QCP_MSG_LEARN_TEXT = 101;
inline constexpr std::int32_t QCP_MSG_FILL_PY = 102;

// QAConvertStream's success value (the sentence engine's own).
inline constexpr int QCP_CONVERT_OK = 10000;
// Separates the two parts of a convert reply and of a learn request.
inline constexpr char QCP_PART_SEPARATOR = '\xFF';

// Send and receive time-out of each request, in milliseconds. Tests raise it for a program
// whose first requests open its libraries.
inline constexpr int QCP_DEFAULT_TIMEOUT_MS = IME_SERVICE_TIMEOUT_MS;
extern int ime_sentence_timeout_ms;

// Sends `request` as message `msgid` to the sentence service. 0 with the reply bytes in `reply`
// (nullopt when the service gave no reply data); -2 when nobody serves the port, or the send
// or the reply failed or timed out, or the service is being left alone after a time-out.
int QCPSendDataWithReply(std::int32_t msgid, std::string_view request,
                         std::optional<std::string>* reply);

// Converts `pinyin` (syllables joined by "_", a bare initial as its upper-case letter) into a
// sentence. QCP_CONVERT_OK with the GBK text in `text_out` and one split mark per sentence
// item in `flags_out` ('_' ends a word, '0' does not); -1 on any failure (no service, time-out,
// malformed reply, error status, no 0xFF separator), outputs left empty. An error status is
// the service refusing the input, an ordinary answer while typing, and is logged at debug level.
int QAConvertStream(const char* pinyin, std::string* text_out, std::string* flags_out);

// Teaches the service a corrected sentence: `pinyin` ("*" before a changed syllable, "_"
// between syllables) and the GBK `text` (words ended by "_"). 0 when the service accepted it,
// -1 otherwise.
int QALearnText(const char* pinyin, const char* text);

// The pinyin of a GBK `text` whose characters are joined by "_": 0 with the syllables,
// separated by "-", in `pinyin_out`; -1 on any failure (output left empty).
int QAFillPY(const char* text, std::string* pinyin_out);

// Forgets that the service could not be reached or let a request time out, so that it is asked
// and its next failure logged again (tests, which each start without a service).
void ime_sentence_client_reset_for_testing();
