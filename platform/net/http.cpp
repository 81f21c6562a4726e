#include "platform/net/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>

namespace platform::net {

namespace {

// Process-wide libcurl state, set up once by whichever thread fetches first.
bool curl_ready() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ready;
}

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

// What the callbacks of one transfer share. The flags say why a callback stopped the transfer,
// which libcurl reports only as "write error" or "aborted by callback".
struct Transfer {
  explicit Transfer(const FetchOptions& fetch_options) : options(&fetch_options) {}
  const FetchOptions* options;
  std::string body;
  bool too_large = false;
  bool aborted = false;
  std::uint64_t reported_received = 0;
  std::optional<std::uint64_t> reported_total;
  bool reported_once = false;
};

std::size_t receive(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  // Counted as bytes arrive: a server that announces no length (or a false one) is cut off
  // as soon as it passes the limit, before the excess is held in memory.
  if (length > transfer->options->max_body_bytes - transfer->body.size()) {
    transfer->too_large = true;
    return 0;
  }
  transfer->body.append(data, length);
  return length;
}

int on_progress(void* user, curl_off_t download_total, curl_off_t downloaded, curl_off_t,
                curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  const FetchOptions& options = *transfer->options;
  if (options.abort && options.abort->load()) {
    transfer->aborted = true;
    return 1;
  }
  std::optional<std::uint64_t> total;
  if (download_total > 0) total = static_cast<std::uint64_t>(download_total);
  if (total && *total > options.max_body_bytes) {
    transfer->too_large = true;
    return 1;
  }
  const auto received = static_cast<std::uint64_t>(std::max<curl_off_t>(downloaded, 0));
  // libcurl calls this about once a second even when nothing moved; the caller hears of changes.
  if (!options.progress ||
      (transfer->reported_once && received == transfer->reported_received &&
       total == transfer->reported_total)) {
    return 0;
  }
  transfer->reported_once = true;
  transfer->reported_received = received;
  transfer->reported_total = total;
  if (!options.progress(received, total)) {
    transfer->aborted = true;
    return 1;
  }
  return 0;
}

// The one reading of libcurl's result (and the HTTP status) as a fetch error.
FetchError classify(CURLcode code, const Transfer& transfer, long status) {
  if (transfer.too_large) return FetchError::TooLarge;
  if (transfer.aborted) return FetchError::Aborted;
  switch (code) {
    case CURLE_OK:
      return status >= 200 && status <= 299 ? FetchError::None : FetchError::HttpStatus;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return FetchError::BadAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      return FetchError::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
      return FetchError::TimedOut;
    case CURLE_FILESIZE_EXCEEDED:
      return FetchError::TooLarge;
    case CURLE_ABORTED_BY_CALLBACK:
      return FetchError::Aborted;
    case CURLE_TOO_MANY_REDIRECTS:
      // The server kept answering with a redirect status.
      return FetchError::HttpStatus;
    default:
      return FetchError::TransferFailed;
  }
}

long milliseconds_option(std::chrono::milliseconds value) {
  return static_cast<long>(std::clamp<std::chrono::milliseconds::rep>(
      value.count(), 0, std::numeric_limits<long>::max()));
}

bool configure(CURL* handle, std::string_view address, const FetchOptions& options,
               Transfer& transfer, char* error_buffer) {
  const std::string url(address);
  const curl_off_t max_size = static_cast<curl_off_t>(std::min<std::uint64_t>(
      options.max_body_bytes, std::numeric_limits<curl_off_t>::max()));
  bool ok = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK;
  // Only the web schemes, also for redirects: a hostile server must not send the transfer to
  // a local file or another protocol.
#if LIBCURL_VERSION_NUM >= 0x075500
  ok = ok && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
#else
  ok = ok && curl_easy_setopt(handle, CURLOPT_PROTOCOLS, CURLPROTO_HTTP | CURLPROTO_HTTPS) ==
                 CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS,
                              CURLPROTO_HTTP | CURLPROTO_HTTPS) == CURLE_OK;
#endif
  ok = ok && curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_MAXREDIRS, std::max(options.max_redirects, 0L)) ==
                 CURLE_OK;
  // Time-outs by alarm signals would hit whichever thread runs; the threads fetching here
  // must not be interrupted.
  ok = ok && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                              milliseconds_option(options.connect_timeout)) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                              milliseconds_option(options.total_timeout)) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, max_size) == CURLE_OK;
  if (!options.user_agent.empty()) {
    ok = ok && curl_easy_setopt(handle, CURLOPT_USERAGENT, options.user_agent.c_str()) ==
                   CURLE_OK;
  }
  ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, receive) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, on_progress) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
  ok = ok && curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error_buffer) == CURLE_OK;
  return ok;
}

FetchResult failure(FetchError error, std::string detail) {
  FetchResult result;
  result.error = error;
  result.message = std::string(error_text(error));
  if (!detail.empty()) result.message += ": " + detail;
  return result;
}

}  // namespace

bool is_allowed_address(std::string_view address) {
  auto starts_with = [address](std::string_view scheme) {
    if (address.size() < scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
      char c = address[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  return starts_with("http://") || starts_with("https://");
}

FetchResult fetch(std::string_view address, const FetchOptions& options) {
  if (!is_allowed_address(address)) {
    return failure(FetchError::BadAddress, "only http and https addresses are fetched");
  }
  if (address.find('\0') != std::string_view::npos) {
    return failure(FetchError::BadAddress, "the address holds a NUL byte");
  }
  if (!curl_ready()) return failure(FetchError::TransferFailed, "libcurl could not start");
  EasyHandle handle(curl_easy_init());
  if (!handle) return failure(FetchError::TransferFailed, "no transfer handle");

  Transfer transfer(options);
  char error_buffer[CURL_ERROR_SIZE] = "";
  if (!configure(handle.get(), address, options, transfer, error_buffer)) {
    return failure(FetchError::TransferFailed, "the transfer options were refused");
  }
  const CURLcode code = curl_easy_perform(handle.get());
  long status = 0;
  curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);

  const FetchError error = classify(code, transfer, status);
  if (error != FetchError::None) {
    std::string detail;
    if (transfer.too_large) {
      detail = "more than " + std::to_string(options.max_body_bytes) + " bytes";
    } else if (error == FetchError::HttpStatus) {
      detail = "HTTP status " + std::to_string(status);
    } else {
      detail = error_buffer[0] ? error_buffer : curl_easy_strerror(code);
    }
    FetchResult result = failure(error, detail);
    result.http_status = status;
    return result;
  }
  FetchResult result;
  result.http_status = status;
  result.body = std::move(transfer.body);
  return result;
}

const char* error_text(FetchError error) {
  switch (error) {
    case FetchError::None: return "no error";
    case FetchError::BadAddress: return "bad address";
    case FetchError::ConnectFailed: return "connection failed";
    case FetchError::TimedOut: return "timed out";
    case FetchError::TooLarge: return "too large";
    case FetchError::HttpStatus: return "HTTP error status";
    case FetchError::Aborted: return "aborted";
    case FetchError::TransferFailed: return "transfer failed";
  }
  return "unknown error";
}

}  // namespace platform::net
