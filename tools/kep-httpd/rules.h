// The scripted replies of kep-httpd: one rule a line, "PATH MODE [ARG] [BODY]", blank lines
// and lines starting with '#' ignored. PATH is compared with the request's path as received
// (not decoded, the query left out); the first rule for it answers. BODY is "@FILE" (a file
// read at each request, relative to the rules file's folder) or the rest of the line, in which
// "\n" is a line end and "\\" a backslash.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kep_httpd {

enum class Mode {
  Length,    // 200 with a Content-Length
  Chunked,   // 200 without a length
  Slow,      // a length, then one piece of at most 1024 bytes every `number` milliseconds
  Cut,       // the full length announced, `number` bytes sent, then the connection closed
  Never,     // no answer until the server ends
  Status,    // the status `number` with the body
  Redirect,  // 302 to `location`
};

struct Rule {
  std::string path;
  Mode mode = Mode::Length;
  long number = 0;
  std::string location;
  // The body: `text`, or the contents of `body_file` when that is set.
  std::string text;
  std::optional<std::filesystem::path> body_file;
  int line = 0;
};

struct RuleSet {
  std::vector<Rule> rules;
  // One message a refused line ("line 3: unknown mode 'fast'"); such lines are skipped.
  std::vector<std::string> problems;
};

// Parses a rules file's text; `@file` bodies are resolved against `folder`.
RuleSet parse_rules(std::string_view text, const std::filesystem::path& folder);

// The first rule for the request path (the query left out), or null.
const Rule* find_rule(const RuleSet& rules, std::string_view path);

}  // namespace kep_httpd
