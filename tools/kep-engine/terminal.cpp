#include "terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/text.h"

namespace kep_terminal {
namespace {

termios saved_settings{};
volatile sig_atomic_t saved = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The terminal goes back to how it was before the signal ends the program its usual way.
void restore_and_reraise(int signal_number) {
  if (saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_settings);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

std::optional<unsigned char> read_byte(int wait_ms) {
  pollfd source{STDIN_FILENO, POLLIN, 0};
  if (wait_ms >= 0 && ::poll(&source, 1, wait_ms) <= 0) return std::nullopt;
  unsigned char byte = 0;
  if (::read(STDIN_FILENO, &byte, 1) != 1) return std::nullopt;
  return byte;
}

// The rest of an escape sequence, read when it follows at once; a lone Escape has nothing after.
std::optional<kep_session::Key> escape_sequence() {
  using kep_session::KeyKind;
  std::optional<unsigned char> next = read_byte(30);
  if (!next) return kep_session::Key{KeyKind::Escape, 0};
  if (*next != '[' && *next != 'O') return std::nullopt;
  std::string body;
  while (std::optional<unsigned char> byte = read_byte(30)) {
    body += static_cast<char>(*byte);
    if (*byte >= 0x40 && *byte <= 0x7E) break;  // the final byte of the sequence
  }
  if (body == "C") return kep_session::Key{KeyKind::Right, 0};
  if (body == "D") return kep_session::Key{KeyKind::Left, 0};
  if (body == "3~") return kep_session::Key{KeyKind::Delete, 0};
  if (body == "5~" || body == "A") return kep_session::Key{KeyKind::PageUp, 0};
  if (body == "6~" || body == "B") return kep_session::Key{KeyKind::PageDown, 0};
  return std::nullopt;
}

}  // namespace

RawTerminal::RawTerminal() {
  if (tcgetattr(STDIN_FILENO, &saved_settings) != 0) return;
  saved = 1;
  for (int signal_number : kEndingSignals) ::signal(signal_number, restore_and_reraise);
  termios raw = saved_settings;
  // Keys one at a time and unechoed; Ctrl-C still interrupts.
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
}

RawTerminal::~RawTerminal() {
  if (saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_settings);
  saved = 0;
  for (int signal_number : kEndingSignals) ::signal(signal_number, SIG_DFL);
}

bool is_interactive() { return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1; }

std::optional<kep_session::Key> read_key() {
  using kep_session::KeyKind;
  for (;;) {
    std::optional<unsigned char> byte = read_byte(-1);
    if (!byte || *byte == 0x04) return std::nullopt;  // Ctrl-D
    switch (*byte) {
      case 0x1B:
        if (auto key = escape_sequence()) return key;
        continue;
      case 0x7F:
      case 0x08:
        return kep_session::Key{KeyKind::Backspace, 0};
      case '\r':
      case '\n':
        return kep_session::Key{KeyKind::Return, 0};
      case '\t':
        return kep_session::Key{KeyKind::Tab, 0};
      case ' ':
        return kep_session::Key{KeyKind::Space, 0};
      default:
        if (*byte >= 33 && *byte <= 126) {
          return kep_session::Key{KeyKind::Character, static_cast<char>(*byte)};
        }
        continue;
    }
  }
}

int columns() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

std::string fit_columns(const std::string& text, int width) {
  std::size_t at = 0;
  int used = 0;
  while (at < text.size()) {
    const std::size_t length = platform::text::utf8_sequence_length(static_cast<unsigned char>(text[at]));
    if (length == 0 || at + length > text.size()) break;
    const int cells = length == 1 ? 1 : 2;
    if (used + cells > width) break;
    used += cells;
    at += length;
  }
  return text.substr(0, at);
}

std::string_view last_columns(std::string_view text, int width) {
  std::size_t start = text.size();
  int used = 0;
  while (start > 0) {
    std::size_t lead = start - 1;
    while (lead > 0 && start - lead < 4 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80) {
      --lead;
    }
    const std::size_t length =
        platform::text::utf8_sequence_length(static_cast<unsigned char>(text[lead]));
    if (length == 0 || lead + length != start) break;  // not a whole character: stop before it
    const int cells = length == 1 ? 1 : 2;
    if (used + cells > width) break;
    used += cells;
    start = lead;
  }
  return text.substr(start);
}

}  // namespace kep_terminal
