#include "celldict/update/update_reply.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

#include "celldict/update/update_log.h"

namespace celldict::update {

namespace {

bool contains_ignoring_case(std::string_view text, std::string_view needle) {
  auto equal = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  return std::search(text.begin(), text.end(), needle.begin(), needle.end(), equal) != text.end();
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

bool looks_like_html(std::string_view reply) {
  return contains_ignoring_case(reply, "<title>") || contains_ignoring_case(reply, "<html>");
}

void log_web_page_reply(std::string_view reply) {
  updlog("Response from server failed!");
  updlog("============= DATA ==============");
  updlog("%s", loggable(reply, 512).c_str());
  updlog("============== END ==============");
}

std::vector<UpdateLine> parse_reply(std::string_view reply) {
  std::vector<UpdateLine> lines;
  std::size_t looked_at = 0;
  std::size_t start = 0;
  while (start < reply.size()) {
    std::size_t end = reply.find('\n', start);
    if (end == std::string_view::npos) end = reply.size();
    std::string_view line = reply.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (looked_at == kMaxReplyLines) {
      updlog("The reply has more than %zu lines; the rest is ignored.", kMaxReplyLines);
      break;
    }
    ++looked_at;
    const std::vector<std::string_view> fields = split(line, '|');
    if (fields.size() != 3) {
      updlog("Response line '%s' invalid.", loggable(line).c_str());
      continue;
    }
    lines.push_back({std::string(fields[0]), std::string(fields[1]), std::string(fields[2])});
  }
  return lines;
}

}  // namespace celldict::update
