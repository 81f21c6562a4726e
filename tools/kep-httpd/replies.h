// The reply a rule scripts, as a libmicrohttpd response.
#pragma once

#include <microhttpd.h>

#include <string>

#include "rules.h"
#include "stop_signal.h"

namespace kep_httpd {

struct Reply {
  MHD_Response* response = nullptr;  // owned by the caller (MHD_destroy_response)
  unsigned status = 0;
};

// The reply of `rule` with `body` (the rule's text or its file's contents). Not for
// Mode::Never, which has no reply. Slow replies wait on `stop` so that the server's end cuts
// them short.
Reply make_reply(const Rule& rule, std::string body, StopSignal& stop);

// A plain-text reply with `status`, for requests no rule answers and for failures.
Reply make_text_reply(unsigned status, const std::string& text);

}  // namespace kep_httpd
