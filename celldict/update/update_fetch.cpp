#include "celldict/update/update_fetch.h"

#include <algorithm>

#include "celldict/update/update_log.h"
#include "celldict/update/update_reply.h"
#include "platform/net/http.h"

namespace celldict::update {

namespace {

constexpr std::uint32_t kScelMagic = 0x01534344;

platform::net::FetchOptions options_of(const TransferLimits& limits, std::uint64_t max_body) {
  platform::net::FetchOptions options;
  options.user_agent = std::string(kUserAgent);
  options.connect_timeout = limits.connect_timeout;
  options.total_timeout = limits.total_timeout;
  options.max_body_bytes = max_body;
  options.abort = limits.abort;
  options.progress = limits.progress;
  return options;
}

}  // namespace

std::string update_query_address(std::string_view base, std::string_view query) {
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  return std::string(base) + std::string(kUpdatePath) + "?" + std::string(query);
}

std::optional<std::string> fetch_update_reply(std::string_view base, std::string_view query,
                                              const TransferLimits& limits) {
  const std::string address = update_query_address(base, query);
  platform::net::FetchResult result = platform::net::fetch(
      address, options_of(limits, std::min<std::uint64_t>(limits.max_body_bytes, kMaxReplyBytes)));
  if (!result.ok()) {
    updlog("Query '%s' failed: %s", loggable(address).c_str(),
           loggable(result.message.empty() ? platform::net::error_text(result.error) : result.message)
               .c_str());
    return std::nullopt;
  }
  return std::move(result.body);
}

bool has_scel_magic(std::string_view body) {
  if (body.size() <= 7) return false;
  std::uint32_t magic = 0;
  for (int i = 3; i >= 0; --i) magic = magic << 8 | static_cast<unsigned char>(body[4 + i]);
  return magic == kScelMagic;
}

std::optional<std::string> download_cell_dict(std::string_view url, const TransferLimits& limits) {
  const std::string shown = loggable(url);
  platform::net::FetchResult result = platform::net::fetch(url, options_of(limits, limits.max_body_bytes));
  if (!result.ok() || result.body.size() <= 7) {
    updlog("Download file from '%s' failed! (%s)", shown.c_str(),
           result.ok() ? "the body is too short"
                       : loggable(result.message.empty() ? platform::net::error_text(result.error)
                                                         : result.message)
                             .c_str());
    return std::nullopt;
  }
  updlog("Download successed.");
  if (!has_scel_magic(result.body)) {
    updlog("Invalid downloaded file from '%s'.", shown.c_str());
    return std::nullopt;
  }
  return std::move(result.body);
}

}  // namespace celldict::update
