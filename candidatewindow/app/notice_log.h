// Where the window's notices go: no notification daemon is assumed, so each notice becomes one
// line "name: text" appended to notices.log in the runtime folder, where people and tests read it.
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

#include "candidatewindow/protocol/notice_message.h"

namespace kepcandidatewindow {

std::optional<std::filesystem::path> noticeLogPath(std::error_code& error);

// Appends the notice as one line (line breaks inside it become blanks). False with `error` set
// when the log cannot be written.
bool appendNotice(const kepcandidate::Notice& notice, std::error_code& error);

}  // namespace kepcandidatewindow
