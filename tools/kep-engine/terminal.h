// The terminal of the interactive driver: raw key input (no line editing, no echo) that is
// given back to its old settings on exit and on the signals that end the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/key_script.h"

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

// The next key typed; nullopt at the end of input (Ctrl-D or a closed terminal). Escape alone
// comes back as KeyKind::Escape; arrow, Delete and page keys from their escape sequences;
// keys the driver does not know are skipped.
std::optional<kep_session::Key> read_key();

// Columns of the terminal (80 when it does not say).
int columns();

// The longest start of a UTF-8 text that fits `width` columns (wide characters take two).
std::string fit_columns(const std::string& text, int width);

// The longest end of a UTF-8 text that fits `width` columns, found from the end so that the
// work is bounded by `width` however long the text is.
std::string_view last_columns(std::string_view text, int width);

}  // namespace kep_terminal
