// The terminal of the interactive drivers: raw key input (no line editing, no echo) that is
// given back to its old settings on exit and on the signals that end the program, keys read
// from their escape sequences, and text fitted to the terminal's columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kep_terminal {

// Puts standard input into raw mode for the life of the object. Only one exists at a time.
class RawTerminal {
 public:
  RawTerminal();
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
};

// True when standard input and output are terminals.
bool is_interactive();

// One key as the terminal sends it: a named key ("space", "bs", "del", "ret", "tab", "esc",
// "left", "right", "up", "down", "pgup", "pgdn", "home", "end", "f1".."f12", "ctrl-t"), or
// the UTF-8 text of one typed character (name empty).
struct TerminalKey {
  std::string name;
  std::string text;
};

// Reads one key from `byte source`: a function giving the next byte, waiting at most the given
// milliseconds (-1: no limit), nullopt when none came. nullopt at the end of input (Ctrl-D or
// a closed terminal). Escape alone is "esc"; sequences the drivers do not know are skipped.
template <typename ByteSource>
std::optional<TerminalKey> decode_key(ByteSource&& next_byte);

// The next key typed on standard input.
std::optional<TerminalKey> read_key();

// Columns of the terminal (80 when it does not say).
int columns();

// The longest start of a UTF-8 text that fits `width` columns (wide characters take two).
std::string fit_columns(const std::string& text, int width);

// The longest end of a UTF-8 text that fits `width` columns, found from the end so that the
// work is bounded by `width` however long the text is.
std::string_view last_columns(std::string_view text, int width);

}  // namespace kep_terminal

#include "terminal_decode.h"
