// HTTP downloads over libcurl: GET of an http or https address into memory, with connect and
// total time-outs, a size limit, progress and abort, and the program's user agent. Any other
// scheme, also one reached through a redirect, is refused before anything is fetched.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::net {

// Progress of a transfer: the bytes received and, when the server told it, the whole size.
// Answering false aborts the transfer (FetchError::Aborted).
using ProgressCallback =
    std::function<bool(std::uint64_t received, std::optional<std::uint64_t> total)>;

struct FetchOptions {
  std::string user_agent;
  std::chrono::milliseconds connect_timeout{std::chrono::seconds(15)};
  // The whole transfer, connection included; zero means no bound (never used by the system).
  std::chrono::milliseconds total_timeout{std::chrono::seconds(120)};
  // A body (announced or received) above this many bytes ends the transfer (TooLarge).
  std::uint64_t max_body_bytes = 64u << 20;
  long max_redirects = 5;
  ProgressCallback progress;
  // Polled while the transfer runs; set means stop (Aborted). May be null.
  const std::atomic<bool>* abort = nullptr;
};

enum class FetchError {
  None,
  BadAddress,       // not an http or https address (also a redirect to one)
  ConnectFailed,    // name not resolved, connection refused
  TimedOut,         // the connect or total time-out passed
  TooLarge,         // the body is larger than max_body_bytes
  HttpStatus,       // the server answered with a status other than 2xx
  Aborted,          // the abort flag or the progress callback stopped it
  TransferFailed,   // anything else (cut connection, protocol error)
};

struct FetchResult {
  FetchError error = FetchError::None;
  long http_status = 0;
  // The received body on success; empty on any failure, so that an error page is never taken
  // for the content.
  std::string body;
  // A short text for logs, empty on success.
  std::string message;

  bool ok() const { return error == FetchError::None; }
};

// Whether the address is one that may be fetched: http:// or https:// (any letter case).
bool is_allowed_address(std::string_view address);

// Fetches the address with GET. Blocks the calling thread; safe to call from several threads.
FetchResult fetch(std::string_view address, const FetchOptions& options);

// The text of an error for logs ("timed out", "too large", ...).
const char* error_text(FetchError error);

}  // namespace platform::net
