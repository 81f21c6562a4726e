// The two requests of an update: the query to the update service and the download of a cell
// dictionary it names. Both go through platform::net with the user agent "KEP_UPDATER",
// http and https only, and the caller's time-outs and size limit.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace celldict::update {

inline constexpr std::string_view kUserAgent = "KEP_UPDATER";
inline constexpr std::string_view kUpdatePath = "/dict/upt_cell_dict.php";

struct TransferLimits {
  std::chrono::milliseconds connect_timeout{std::chrono::seconds(30)};
  std::chrono::milliseconds total_timeout{std::chrono::seconds(300)};
  // Of a downloaded cell dictionary; a reply is held to kMaxReplyBytes as well.
  std::uint64_t max_body_bytes = 32u << 20;
  // Set means stop: the transfer under way ends at once. May be null.
  const std::atomic<bool>* abort = nullptr;
  // Told the bytes received and, once the server says, the whole size; answering false stops
  // the transfer. May be empty.
  std::function<bool(std::uint64_t received, std::optional<std::uint64_t> total)> progress;
};

// "<base>/dict/upt_cell_dict.php?<query>", the query as it is (its "|" are not encoded).
std::string update_query_address(std::string_view base, std::string_view query);

// The service's reply; nullopt, logged, when the transfer failed.
std::optional<std::string> fetch_update_reply(std::string_view base, std::string_view query,
                                              const TransferLimits& limits);

// Whether a body can be a cell dictionary: longer than 7 bytes, with the magic 0x01534344
// (little-endian) in bytes 4 to 7.
bool has_scel_magic(std::string_view body);

// The body of a cell dictionary at `url`; nullopt, logged, when the transfer failed, the body
// is 7 bytes or less, or it lacks the magic.
std::optional<std::string> download_cell_dict(std::string_view url, const TransferLimits& limits);

}  // namespace celldict::update
