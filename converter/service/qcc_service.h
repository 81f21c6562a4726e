// The converter service's core: one converter, one local port "KEPCCServerPort", and the
// handler that answers its messages.
//
//   100 QCC_MSG_CONVERT     UTF-8 text      -> "000:" + traditional text, or an error reply
//   102 QCC_MSG_VERSION     (ignored)       -> the converter's version text, no status
//   103 QCC_MSG_DB_VERSION  (ignored)       -> the tables' version text, no status
//   any other id                            -> no reply data
//
// Error replies are "%03d:%s" (status, message), at most 1023 bytes, with no terminator.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "converter/chinese_converter.h"
#include "platform/runloop.h"

inline constexpr const char* kQCCServerPortName = "KEPCCServerPort";

enum {
  QCC_MSG_CONVERT = 100,
  QCC_MSG_VERSION = 102,
  QCC_MSG_DB_VERSION = 103,
};

enum {
  QCC_ERR_NO_CONVERTER = 1,
  QCC_ERR_BAD_INPUT = 2,
  QCC_ERR_CONVERT_FAILED = 3,
  QCC_ERR_RESULT_ENCODING = 4,
  QCC_ERR_REPLY_ALLOCATION = 5,
};

// The program's one converter, kept for the program's life.
extern std::unique_ptr<converter::ChineseConverter> kConverterHandler;

// "%03d:%s", cut to 1023 bytes.
std::string QCError(int status, std::string_view message);

// Answers one message of the port: the reply bytes, or nullopt for no reply data.
std::optional<std::string> QCCMessageCallback(std::int32_t msgid, std::string_view data);

// Creates the local port on `loop`; 0 on success, non-zero when the port cannot be created
// (the name is served by a live process, or the runtime folder is refused).
int QCCInitialize(platform::RunLoop& loop);

// Closes the port (before the run loop goes away).
void QCCShutdown();
