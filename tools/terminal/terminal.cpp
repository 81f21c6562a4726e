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

std::optional<TerminalKey> read_key() { return decode_key(read_byte); }

namespace detail {

std::string escape_sequence_name(const std::string& body) {
  struct Sequence {
    const char* body;
    const char* name;
  };
  static constexpr Sequence kSequences[] = {
      {"[A", "up"},    {"[B", "down"},   {"[C", "right"},  {"[D", "left"},  {"OA", "up"},
      {"OB", "down"},  {"OC", "right"},  {"OD", "left"},   {"[H", "home"},  {"[F", "end"},
      {"OH", "home"},  {"OF", "end"},    {"[1~", "home"},  {"[4~", "end"},  {"[3~", "del"},
      {"[5~", "pgup"}, {"[6~", "pgdn"},  {"OP", "f1"},     {"OQ", "f2"},    {"OR", "f3"},
      {"OS", "f4"},    {"[15~", "f5"},   {"[17~", "f6"},   {"[18~", "f7"},  {"[19~", "f8"},
      {"[20~", "f9"},  {"[21~", "f10"},  {"[23~", "f11"},  {"[24~", "f12"},
  };
  for (const Sequence& sequence : kSequences) {
    if (body == sequence.body) return sequence.name;
  }
  return {};
}

std::size_t utf8_length(unsigned char lead) { return platform::text::utf8_sequence_length(lead); }

}  // namespace detail

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
