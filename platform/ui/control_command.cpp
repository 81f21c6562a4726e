#include "platform/ui/control_command.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/runtime_dir.h"
#include "platform/text.h"
#include "platform/ui/key_event.h"
#include "platform/ui/window.h"

namespace platform::ui {
namespace {

struct VerbName {
  std::string_view name;
  ControlVerb verb;
};

constexpr VerbName kVerbs[] = {
    {"down", ControlVerb::Down},   {"drag", ControlVerb::Drag},   {"up", ControlVerb::Up},
    {"double", ControlVerb::Double}, {"move", ControlVerb::Move}, {"scroll", ControlVerb::Scroll},
    {"enter", ControlVerb::Enter},
    {"exit", ControlVerb::Exit},   {"key", ControlVerb::Key},     {"click", ControlVerb::Click},
    {"close", ControlVerb::Close}, {"show", ControlVerb::Show},   {"answer", ControlVerb::Answer},
    {"keycode", ControlVerb::KeyCode}, {"flags", ControlVerb::Flags},
};

// A button key: what Localizable.strings names a button by ("BUTTON_YES").
bool is_button_key(std::string_view word) {
  if (word.empty() || word.size() > 128) return false;
  for (char c : word) {
    const bool fits = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
    if (!fits) return false;
  }
  return true;
}

// The next space-separated word; `text` is left after it and the space that ends it.
std::string_view next_word(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::size_t end = text.find(' ');
  std::string_view word = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return word;
}

// The next word of an answer's values, backslash escapes undone; nullopt for a backslash with
// nothing after it. An empty word means the text is used up.
std::optional<std::string> next_value(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::string value;
  while (!text.empty() && text.front() != ' ') {
    if (text.front() == '\\') {
      if (text.size() == 1) return std::nullopt;
      text.remove_prefix(1);
    }
    value += text.front();
    text.remove_prefix(1);
  }
  return value;
}

struct ModifierName {
  std::string_view name;
  std::uint64_t mask;
};

constexpr ModifierName kModifiers[] = {
    {"shift", kShiftKeyMask},
    {"control", kControlKeyMask},
    {"option", kAlternateKeyMask},
    {"command", kCommandKeyMask},
};

// "shift+option" as masks; nullopt for an empty, unknown or repeated name.
std::optional<std::uint64_t> modifier_keys(std::string_view word) {
  std::uint64_t flags = 0;
  while (true) {
    const std::size_t plus = word.find('+');
    const std::string_view name = word.substr(0, plus);
    std::uint64_t mask = 0;
    for (const ModifierName& modifier : kModifiers) {
      if (modifier.name == name) mask = modifier.mask;
    }
    if (mask == 0 || (flags & mask) != 0) return std::nullopt;
    flags |= mask;
    if (plus == std::string_view::npos) return flags;
    word.remove_prefix(plus + 1);
  }
}

// A whole number written in decimal or, after "0x", in hex, at most `limit`; nothing else
// around it.
std::optional<std::uint64_t> whole_number(std::string_view word, std::uint64_t limit) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  std::uint64_t value = 0;
  auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value, base);
  if (word.empty() || failure != std::errc() || end != word.data() + word.size() ||
      value > limit) {
    return std::nullopt;
  }
  return value;
}

// Modifier flags as a number below 2^32 or as modifier key names; "0" is none.
std::optional<std::uint64_t> modifier_flags(std::string_view word) {
  if (!word.empty() && word[0] >= '0' && word[0] <= '9') return whole_number(word, 0xffffffff);
  return modifier_keys(word);
}

std::optional<int> tag_number(std::string_view word) {
  int value = 0;
  auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || failure != std::errc() || end != word.data() + word.size() || value < 1) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<ControlCommand> parse_control_command(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<ControlCommand> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (text.size() > kMaxControlCommand) return fail("command too long");
  if (!text::is_valid_utf8(text)) return fail("command is not UTF-8");
  std::string_view verb_word = next_word(text);
  ControlCommand command;
  bool known = false;
  for (const VerbName& entry : kVerbs) {
    if (entry.name == verb_word) {
      command.verb = entry.verb;
      known = true;
    }
  }
  if (verb_word.empty()) return fail("empty command");
  if (!known) return fail("unknown command \"" + std::string(verb_word) + "\"");

  if (command.verb == ControlVerb::Answer) {
    const std::string_view kind = next_word(text);
    if (kind.empty()) return fail("missing answer kind");
    if (kind != kAlertAnswer && kind != kOpenPanelAnswer) {
      return fail("unknown answer kind \"" + std::string(kind) + "\"");
    }
    command.kind = std::string(kind);
    while (true) {
      std::optional<std::string> value = next_value(text);
      if (!value) return fail("a backslash ends the answer");
      if (value->empty()) break;
      command.values.push_back(std::move(*value));
    }
    if (kind == kAlertAnswer) {
      if (command.values.size() != 1 || !is_button_key(command.values.front())) {
        return fail("an alert is answered by one button key");
      }
      return command;
    }
    if (command.values.empty()) return fail("an open panel is answered by paths or \"cancel\"");
    const bool cancels = std::find(command.values.begin(), command.values.end(),
                                   kOpenPanelCancel) != command.values.end();
    if (cancels && command.values.size() != 1) return fail("\"cancel\" is answered alone");
    return command;
  }

  std::string_view window = next_word(text);
  if (window.empty()) return fail("missing window name");
  if (!runtime::is_valid_name(window)) return fail("invalid window name");
  command.window = std::string(window);

  switch (command.verb) {
    case ControlVerb::Key:
      if (text.empty()) return fail("missing characters");
      command.characters = std::string(text);
      return command;
    case ControlVerb::KeyCode: {
      const std::string_view code_word = next_word(text);
      const auto code = whole_number(code_word, kKeyCodeLimit - 1);
      if (!code) return fail("key code must be a number from 0 to 127");
      const std::string_view flags_word = next_word(text);
      const auto flags = modifier_flags(flags_word);
      if (!flags) return fail("bad modifier flags \"" + std::string(flags_word) + "\"");
      command.key_code = static_cast<int>(*code);
      command.modifier_flags = *flags;
      command.has_characters = !text.empty();
      command.characters = std::string(text);
      return command;
    }
    case ControlVerb::Flags: {
      const std::string_view flags_word = next_word(text);
      const auto flags = modifier_flags(flags_word);
      if (!flags) return fail("bad modifier flags \"" + std::string(flags_word) + "\"");
      command.modifier_flags = *flags;
      break;
    }
    case ControlVerb::Close:
    case ControlVerb::Show:
      break;
    case ControlVerb::Click: {
      const std::string_view view = next_word(text);
      if (view.empty()) return fail("missing view identifier");
      command.view = std::string(view);
      break;
    }
    case ControlVerb::Enter:
    case ControlVerb::Exit: {
      auto tag = tag_number(next_word(text));
      if (!tag) return fail("tag must be a whole number above 0");
      command.tag = *tag;
      break;
    }
    default: {
      auto x = parse_coordinate(next_word(text));
      auto y = parse_coordinate(next_word(text));
      if (!x || !y) return fail("expected window coordinates X Y");
      command.location = Point{*x, *y};
      if (command.verb == ControlVerb::Scroll) {
        auto delta = parse_coordinate(next_word(text));
        if (!delta) return fail("expected a scroll distance DY");
        command.delta_y = *delta;
      } else if (std::string_view keys = next_word(text); !keys.empty()) {
        auto flags = modifier_keys(keys);
        if (!flags) return fail("unknown modifier keys \"" + std::string(keys) + "\"");
        command.modifier_flags = *flags;
      }
      break;
    }
  }
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty()) return fail("unexpected \"" + std::string(text) + "\"");
  return command;
}

std::string escape_answer_value(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (char c : value) {
    if (c == '\\' || c == ' ') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace platform::ui
