// The desktop's workspace: opening web pages, documents and applications, and choosing the
// keyboard input source. Nothing of this can happen for a headless input method on Linux, so
// each request is recorded as one line of `workspace.log` in the runtime folder, for people and
// tests to read; nothing is run, least of all a shell.
//
// A line is tab-separated: UTC time (ISO 8601), the requesting program's name, the verb, then
// the request's arguments. Tabs, line ends and backslashes inside an argument are written as
// \t, \n, \r and \\, so one request is always one line; every other control character (C0,
// DEL, and C1 as U+0080..U+009F) and every byte that is not part of valid UTF-8 is written as
// \xHH per byte, so that what a path or address holds can never act on a terminal showing the
// log. A field longer than kMaxLogFieldBytes once escaped is cut at a character boundary and
// ends with \[cut].
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::workspace {

// Longest address open_url takes; far beyond what browsers and servers handle.
inline constexpr std::size_t kMaxUrlBytes = 4096;
// Longest field of a log line once escaped: any accepted address or a path of PATH_MAX bytes
// fits whatever it holds.
inline constexpr std::size_t kMaxLogFieldBytes = 4 * kMaxUrlBytes;

// "open-url URL". Only http and https addresses with a host are accepted
// (std::errc::invalid_argument otherwise, std::errc::value_too_large for one longer than
// kMaxUrlBytes; nothing is recorded then).
bool open_url(std::string_view url, std::error_code& error);

// "open-document PATH APPLICATION": a document to be shown by the application with that
// bundle identifier (empty: the document's default application).
bool open_document(const std::filesystem::path& document, std::string_view application,
                   std::error_code& error);

// "open-application BUNDLE-ID": an application of the desktop, found by its bundle identifier.
bool open_application(std::string_view bundle_identifier, std::error_code& error);

// "activate-application NAME": a program of this system brought to the front.
bool activate_application(std::string_view name, std::error_code& error);

// "select-input-source SOURCE": the keyboard input source the user is switched to.
bool select_input_source(std::string_view source, std::error_code& error);

// "hide-cursor" and "unhide-cursor": the mouse pointer hidden while the user types, and shown
// again.
bool hide_cursor(std::error_code& error);
bool unhide_cursor(std::error_code& error);

// The log's path in the runtime folder; nullopt with `error` set when the folder is refused.
std::optional<std::filesystem::path> log_path(std::error_code& error);

// The recorded requests, oldest first, each split into its fields with escapes undone.
// Empty when there is no log.
std::vector<std::vector<std::string>> read_log(std::error_code& error);

}  // namespace platform::workspace
