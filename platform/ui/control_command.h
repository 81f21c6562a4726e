// The text commands a program's control port takes, one per request:
//
//   down|drag|up|double|move WINDOW X Y [KEYS]
//                                         mouse at window point (X, Y), origin bottom left,
//                                         with the modifier KEYS held: "shift", "control",
//                                         "option", "command" joined by '+' ("shift+option")
//   scroll WINDOW X Y DY                  scroll wheel at (X, Y): DY points, positive shows
//                                         what is above
//   enter|exit WINDOW TAG                 the pointer crossed tracking rectangle TAG
//   key WINDOW CHARACTERS                 typed characters, UTF-8: all after the space that
//                                         ends WINDOW, so "key alert  " types a space
//   keycode WINDOW CODE FLAGS [CHARS]     a key press with virtual key code CODE (0 to 127)
//                                         and modifier FLAGS, to the first responder: FLAGS a
//                                         number (decimal or 0x hex, below 2^32) or modifier
//                                         keys as above ("shift+command"), 0 for none; CHARS,
//                                         all after the space that ends FLAGS, the characters
//                                         typed (what the key types on a US keyboard when
//                                         absent)
//   flags WINDOW FLAGS                    the modifier keys held changed to FLAGS
//   click WINDOW VIEW                     a click in the middle of the view the state names
//                                         VIEW (its "identifier"), toolbar items included
//   close WINDOW                          the window's close button
//   show WINDOW                           brings the window to the front, visible and key
//   answer KIND VALUE...                  the answer the next dialog of KIND takes (the one
//                                         showing, if any): "answer alert BUTTON_YES",
//                                         "answer open-panel /home/me/a.scel", "answer
//                                         open-panel cancel"
//
// Words are separated by spaces. In the values of an answer a backslash takes the next
// character as it is, so "My\ Words.scel" is one value with a space and "\\" a backslash
// (kep-ui writes them so). Replies are "ok" or "error: " and the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/geometry.h"

namespace platform::ui {

enum class ControlVerb {
  Down, Drag, Up, Double, Move, Scroll, Enter, Exit, Key, Click, Close, Show, Answer, KeyCode,
  Flags
};

// The kinds of dialog an answer may be for: an alert's button key; an open panel's paths, or
// the single word "cancel" (kOpenPanelCancel).
inline constexpr std::string_view kAlertAnswer = "alert";
inline constexpr std::string_view kOpenPanelAnswer = "open-panel";
inline constexpr std::string_view kOpenPanelCancel = "cancel";

struct ControlCommand {
  ControlVerb verb = ControlVerb::Down;
  std::string window;
  Point location;          // mouse verbs and scroll
  std::uint64_t modifier_flags = 0;  // mouse verbs, keycode, flags: the masks of window.h
  double delta_y = 0;      // scroll
  int tag = 0;             // enter and exit
  std::string characters;  // key; keycode (when given)
  int key_code = 0;        // keycode
  bool has_characters = false;  // keycode: CHARS given
  std::string view;        // click
  std::string kind;                 // answer: kAlertAnswer or kOpenPanelAnswer
  std::vector<std::string> values;  // answer: the values, backslash escapes undone
  bool operator==(const ControlCommand&) const = default;
};

inline constexpr std::size_t kMaxControlCommand = 4096;
inline constexpr std::string_view kControlOk = "ok";

// nullopt with the reason in `error` for an unknown verb, a missing or extra word, a number that
// is not finite or beyond +-1e6, a tag below 1, a key code or flags out of their range or not
// whole numbers, characters that are empty or not UTF-8, an unknown or repeated modifier key,
// an unknown answer kind, an alert answer that is not one button key, an open-panel answer
// without values or with "cancel" among paths, a backslash ending an answer, or a command
// above kMaxControlCommand bytes. An answer names no window. The paths of an open-panel answer
// are checked by the panel that takes them.
std::optional<ControlCommand> parse_control_command(std::string_view text, std::string* error);

// A value written for an answer: backslashes and spaces escaped with a backslash.
std::string escape_answer_value(std::string_view value);

}  // namespace platform::ui
