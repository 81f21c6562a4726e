// kep-ui: sends one command to a program's control port and prints the reply.
//
//   kep-ui PROGRAM COMMAND...
//
// The words of COMMAND are joined with single spaces, e.g.
//   kep-ui IMKKEPCandidateWindow drag candidate 10 50
//   kep-ui IMKKEP up about 210 27 shift           (a click's release with Shift held)
//   kep-ui IMKKEPPreferences key alert " "
//   kep-ui IMKKEPPreferences keycode Preferences 36 0         (Return, to the first responder)
//   kep-ui IMKKEPPreferences keycode Preferences 0 command    (Command-A)
//   kep-ui IMKKEPPreferences flags Preferences 0x20000        (Shift held)
//   kep-ui IMKKEPPreferences click Preferences FuzzyPinyin   (a view by its identifier)
//   kep-ui IMKKEPPreferences answer alert BUTTON_YES          (for the next alert)
//   kep-ui IMKKEPPreferences answer open-panel words.scel     (for the next open panel)
// The values of an answer are sent one each, spaces and backslashes escaped; the paths of an
// open-panel answer are made absolute from this tool's working folder first ("cancel" stays).
// Exit status: 0 when the program answered "ok", 1 for an error reply or when nobody serves the
// port, 2 for a usage error.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "platform/ui/control_command.h"
#include "platform/ui/control_server.h"

namespace {

using namespace std::chrono_literals;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr,
               "usage: kep-ui PROGRAM COMMAND...\n"
               "commands (window points, origin at the bottom left):\n"
               "  down|up|drag|double|move WINDOW X Y [KEYS]\n"
               "    KEYS: modifier keys held, shift, control, option, command joined by '+'\n"
               "  scroll WINDOW X Y DY   (DY > 0 shows what is above)\n"
               "  enter|exit WINDOW TAG\n"
               "  key WINDOW CHARACTERS\n"
               "  keycode WINDOW CODE FLAGS [CHARACTERS]\n"
               "    CODE: a virtual key code 0..127 (Return 36, Tab 48, Delete 51, Escape 53,\n"
               "          Left 123, Right 124, Down 125, Up 126); FLAGS: modifier masks as a\n"
               "          number (0x20000 Shift, 0x40000 Control, 0x80000 Option, 0x100000\n"
               "          Command) or KEYS as above, 0 for none\n"
               "  flags WINDOW FLAGS     (the modifier keys held changed)\n"
               "  click WINDOW VIEW      (VIEW: the identifier the window's state shows)\n"
               "  close WINDOW\n"
               "  show WINDOW            (to the front, visible and key)\n"
               "  answer KIND VALUE...   (the next dialog's answer; KIND: alert, VALUE: a\n"
               "                          button key such as BUTTON_YES; KIND: open-panel,\n"
               "                          VALUE: the paths chosen, or cancel)\n");
  return kExitUsage;
}

// The command's words joined by spaces; an answer's values escaped, an open panel's paths made
// absolute, since the program's working folder is not this one's.
std::optional<std::string> command_text(int argc, char** argv) {
  std::string command = argv[2];
  const bool answer = command == "answer" && argc > 3;
  const bool paths = answer && std::string_view(argv[3]) == platform::ui::kOpenPanelAnswer;
  for (int i = 3; i < argc; ++i) {
    command += ' ';
    if (!answer || i == 3) {
      command += argv[i];
      continue;
    }
    std::string value = argv[i];
    if (paths && value != platform::ui::kOpenPanelCancel && !value.empty()) {
      std::error_code error;
      const std::filesystem::path absolute = std::filesystem::absolute(value, error);
      if (error) {
        std::fprintf(stderr, "kep-ui: %s: %s\n", value.c_str(), error.message().c_str());
        return std::nullopt;
      }
      value = absolute.string();
    }
    command += platform::ui::escape_answer_value(value);
  }
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string port_name = platform::ui::control_port_name(argv[1]);
  const std::optional<std::string> text = command_text(argc, argv);
  if (!text) return kExitFailed;
  const std::string& command = *text;
  if (command.size() > platform::ui::kMaxControlCommand) {
    std::fprintf(stderr, "kep-ui: command too long\n");
    return kExitUsage;
  }

  std::error_code error;
  auto remote = platform::ports::RemotePort::open(port_name, error);
  if (!remote) {
    if (error == std::errc::invalid_argument) {
      std::fprintf(stderr, "kep-ui: invalid program name \"%s\"\n", argv[1]);
      return kExitUsage;
    }
    std::fprintf(stderr, "kep-ui: nobody serves %s (%s)\n", port_name.c_str(),
                 error.message().c_str());
    return kExitFailed;
  }
  auto reply = remote->send(1, command, 5s, 5s);
  if (reply.status != platform::ports::SendStatus::Success || !reply.data) {
    std::fprintf(stderr, "kep-ui: %s: %s\n", port_name.c_str(),
                 reply.data ? platform::ports::describe(reply.status) : "no reply");
    return kExitFailed;
  }
  std::printf("%s\n", reply.data->c_str());
  return *reply.data == platform::ui::kControlOk ? 0 : kExitFailed;
}
