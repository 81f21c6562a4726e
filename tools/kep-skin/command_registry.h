// The subcommands of kep-skin: each command file registers itself, so the program's main knows
// none of them by name.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kep_skin {

// Runs a subcommand with the arguments after its name; the exit status.
using Command = std::function<int(const std::vector<std::string>& arguments)>;

struct CommandEntry {
  Command run;
  std::string usage;  // one line: "install FILE.ssf"
};

inline std::map<std::string, CommandEntry>& commands() {
  static std::map<std::string, CommandEntry> table;
  return table;
}

// `static const bool registered = register_command("info", run_info, "info DIR [--scheme NAME]");`
inline bool register_command(const std::string& name, Command run, std::string usage) {
  commands()[name] = {std::move(run), std::move(usage)};
  return true;
}

}  // namespace kep_skin
