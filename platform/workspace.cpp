#include "platform/workspace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "platform/files.h"
#include "platform/runtime_dir.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace platform::workspace {
namespace {

constexpr const char* kLogName = "workspace.log";

constexpr std::string_view kCutMark = "\\[cut]";

void append_hex(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned char byte : bytes) {
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
}

// How many bytes of `rest` the character at its start takes, 0 when they are not valid UTF-8,
// and whether it is a C1 control character.
std::size_t character_length(std::string_view rest, bool& control) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  control = lead < 0x20 || lead == 0x7f;
  const std::size_t length = text::utf8_sequence_length(lead);
  if (length == 0 || length > rest.size() || !text::is_valid_utf8(rest.substr(0, length))) return 0;
  if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(rest[1]) < 0xA0) control = true;
  return length;
}

// The field as it is written into a line: escaped, and cut whole characters short of
// kMaxLogFieldBytes.
std::string escape(std::string_view field) {
  std::string out;
  out.reserve(std::min(field.size(), kMaxLogFieldBytes) + kCutMark.size());
  std::string piece;
  for (std::size_t i = 0; i < field.size();) {
    bool control = false;
    std::size_t length = character_length(field.substr(i), control);
    piece.clear();
    switch (field[i]) {
      case '\t': piece = "\\t"; break;
      case '\n': piece = "\\n"; break;
      case '\r': piece = "\\r"; break;
      case '\\': piece = "\\\\"; break;
      default:
        if (length == 0) {
          length = 1;
          append_hex(piece, field.substr(i, 1));
        } else if (control) {
          append_hex(piece, field.substr(i, length));
        } else {
          piece = field.substr(i, length);
        }
    }
    if (out.size() + piece.size() > kMaxLogFieldBytes) {
      out += kCutMark;
      break;
    }
    out += piece;
    i += length;
  }
  return out;
}

int hex_value(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

std::string unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    switch (field[++i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 'x':
        if (i + 2 < field.size() && hex_value(field[i + 1]) >= 0 && hex_value(field[i + 2]) >= 0) {
          out += static_cast<char>(hex_value(field[i + 1]) * 16 + hex_value(field[i + 2]));
          i += 2;
          break;
        }
        out += 'x';
        break;
      default: out += field[i];
    }
  }
  return out;
}

std::string utc_now() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  ::gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// The kernel's name of this program; the C library's copy of argv[0] when /proc is missing.
std::string program_name() {
  std::error_code ignored;
  if (auto comm = files::read_file("/proc/self/comm", ignored)) {
    while (!comm->empty() && comm->back() == '\n') comm->pop_back();
    if (!comm->empty()) return *comm;
  }
  return program_invocation_short_name != nullptr ? program_invocation_short_name : "";
}

bool record(std::string_view verb, std::initializer_list<std::string_view> arguments,
            std::error_code& error) {
  auto path = log_path(error);
  if (!path) return false;
  std::string line = utc_now() + '\t' + escape(program_name()) + '\t' + std::string(verb);
  for (std::string_view argument : arguments) line += '\t' + escape(argument);
  line += '\n';
  UniqueFd fd(::open(path->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd) {
    error = {errno, std::generic_category()};
    return false;
  }
  // O_APPEND keeps each write at the end; the lock keeps a long line from meeting another
  // program's line should the kernel split the write.
  while (::flock(fd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      error = {errno, std::generic_category()};
      return false;
    }
  }
  const bool written = files::write_all(fd.get(), line);
  if (!written) error = {errno != 0 ? errno : EIO, std::generic_category()};
  ::flock(fd.get(), LOCK_UN);
  return written;
}

bool has_control_character(std::string_view text) {
  for (unsigned char ch : text) {
    if (ch < 0x20 || ch == 0x7f) return true;
  }
  return false;
}

// "http://host..." or "https://host...": the scheme, then a host that is not empty.
bool is_web_address(std::string_view url) {
  if (has_control_character(url) || url.find(' ') != std::string_view::npos) return false;
  std::string_view rest;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (url.size() >= scheme.size()) {
      bool same = true;
      for (std::size_t i = 0; i < scheme.size(); ++i) {
        char ch = url[i];
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        if (ch != scheme[i]) same = false;
      }
      if (same) rest = url.substr(scheme.size());
    }
    if (!rest.empty()) break;
  }
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  const std::string_view host = authority.substr(0, authority.rfind(':'));
  return !host.empty();
}

}  // namespace

bool open_url(std::string_view url, std::error_code& error) {
  if (url.size() > kMaxUrlBytes) {
    error = std::make_error_code(std::errc::value_too_large);
    return false;
  }
  if (!is_web_address(url)) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  return record("open-url", {url}, error);
}

bool open_document(const std::filesystem::path& document, std::string_view application,
                   std::error_code& error) {
  return record("open-document", {document.native(), application}, error);
}

bool open_application(std::string_view bundle_identifier, std::error_code& error) {
  return record("open-application", {bundle_identifier}, error);
}

bool activate_application(std::string_view name, std::error_code& error) {
  return record("activate-application", {name}, error);
}

bool select_input_source(std::string_view source, std::error_code& error) {
  return record("select-input-source", {source}, error);
}

bool hide_cursor(std::error_code& error) { return record("hide-cursor", {}, error); }

bool unhide_cursor(std::error_code& error) { return record("unhide-cursor", {}, error); }

std::optional<std::filesystem::path> log_path(std::error_code& error) {
  auto folder = runtime::directory(error);
  if (!folder) return std::nullopt;
  return *folder / kLogName;
}

std::vector<std::vector<std::string>> read_log(std::error_code& error) {
  std::vector<std::vector<std::string>> requests;
  auto path = log_path(error);
  if (!path) return requests;
  std::error_code read_error;
  auto text = files::read_file(*path, read_error);
  if (!text) {
    if (read_error != std::errc::no_such_file_or_directory) error = read_error;
    return requests;
  }
  std::string_view rest(*text);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
      const std::size_t tab = line.find('\t', start);
      fields.push_back(unescape(line.substr(start, tab - start)));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    requests.push_back(std::move(fields));
  }
  return requests;
}

}  // namespace platform::workspace
