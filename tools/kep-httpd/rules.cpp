#include "rules.h"

#include <charconv>
#include <optional>

namespace kep_httpd {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_start(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  return text;
}

// The next blank-separated word of `rest`, which is left behind the word.
std::string_view next_word(std::string_view& rest) {
  rest = trim_start(rest);
  std::size_t end = 0;
  while (end < rest.size() && !is_blank(rest[end])) ++end;
  std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

std::optional<long> parse_number(std::string_view text, long low, long high) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "\n" becomes a line end and "\\" one backslash; any other backslash stays as written.
std::string unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
      out += text[i + 1] == 'n' ? '\n' : '\\';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<Mode> parse_mode(std::string_view word) {
  static constexpr std::pair<std::string_view, Mode> kModes[] = {
      {"length", Mode::Length}, {"chunked", Mode::Chunked}, {"slow", Mode::Slow},
      {"cut", Mode::Cut},       {"never", Mode::Never},     {"status", Mode::Status},
      {"redirect", Mode::Redirect},
  };
  for (const auto& [name, mode] : kModes) {
    if (word == name) return mode;
  }
  return std::nullopt;
}

// The argument a mode takes, checked; an error text when it is missing or out of range.
std::optional<std::string> read_argument(Rule& rule, std::string_view& rest) {
  if (rule.mode == Mode::Length || rule.mode == Mode::Chunked || rule.mode == Mode::Never) {
    return std::nullopt;
  }
  std::string_view word = next_word(rest);
  if (word.empty()) return "the mode needs an argument";
  if (rule.mode == Mode::Redirect) {
    rule.location = std::string(word);
    return std::nullopt;
  }
  struct Range {
    long low, high;
    const char* what;
  };
  const Range range = rule.mode == Mode::Slow  ? Range{0, 600000, "milliseconds (0 to 600000)"}
                      : rule.mode == Mode::Cut ? Range{0, 1L << 40, "a byte count"}
                                               : Range{200, 599, "a final HTTP status (200 to 599)"};
  auto number = parse_number(word, range.low, range.high);
  if (!number) return "'" + std::string(word) + "' is not " + range.what;
  rule.number = *number;
  return std::nullopt;
}

std::optional<std::string> parse_line(std::string_view line, const std::filesystem::path& folder,
                                      Rule& rule) {
  std::string_view rest = line;
  rule.path = std::string(next_word(rest));
  if (rule.path.front() != '/') return "the path '" + rule.path + "' does not start with '/'";
  std::string_view mode_word = next_word(rest);
  auto mode = parse_mode(mode_word);
  if (!mode) {
    return mode_word.empty() ? std::string("no mode") : "unknown mode '" + std::string(mode_word) + "'";
  }
  rule.mode = *mode;
  if (auto problem = read_argument(rule, rest)) return problem;
  rest = trim_start(rest);
  if (rest.starts_with('@')) {
    if (rest.size() == 1) return std::string("'@' names no body file");
    rule.body_file = folder / std::string(rest.substr(1));
  } else {
    rule.text = unescape(rest);
    if (rule.mode == Mode::Cut && static_cast<std::size_t>(rule.number) >= rule.text.size()) {
      return "cut " + std::to_string(rule.number) + " is not below the body's length (" +
             std::to_string(rule.text.size()) + " bytes)";
    }
  }
  return std::nullopt;
}

}  // namespace

RuleSet parse_rules(std::string_view text, const std::filesystem::path& folder) {
  RuleSet set;
  int number = 0;
  while (!text.empty()) {
    ++number;
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = trim_start(line);
    if (line.empty() || line.front() == '#') continue;
    Rule rule;
    rule.line = number;
    if (auto problem = parse_line(line, folder, rule)) {
      set.problems.push_back("line " + std::to_string(number) + ": " + *problem);
    } else {
      set.rules.push_back(std::move(rule));
    }
  }
  return set;
}

const Rule* find_rule(const RuleSet& rules, std::string_view path) {
  for (const Rule& rule : rules.rules) {
    if (rule.path == path) return &rule;
  }
  return nullptr;
}

}  // namespace kep_httpd
