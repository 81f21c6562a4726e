// The update service's reply: one line per dictionary with a newer version, "uid|version|url",
// lines separated by "\n".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace celldict::update {

// The reply request's body is refused above this size; the lines past this count are ignored.
inline constexpr std::size_t kMaxReplyBytes = 256 * 1024;
inline constexpr std::size_t kMaxReplyLines = 1000;

struct UpdateLine {
  std::string uid;
  std::string version;  // the service's "%04d-%02d-%02d %02d:%02d:%02d" in China Standard Time
  std::string url;
  bool operator==(const UpdateLine&) const = default;
};

// A page of a proxy or a portal rather than the service's answer: it holds "<title>" or
// "<html>" in any letter case.
bool looks_like_html(std::string_view reply);

// Logs such a page between marker lines, so whoever reads the log sees what answered.
void log_web_page_reply(std::string_view reply);

// The reply's lines with exactly three fields; empty lines are skipped, a line of another
// shape is logged as invalid and skipped, and a carriage return ending a line is dropped. At
// most kMaxReplyLines non-empty lines are looked at.
std::vector<UpdateLine> parse_reply(std::string_view reply);

}  // namespace celldict::update
