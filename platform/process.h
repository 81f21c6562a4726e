// Programs: launch by path with an argument vector (never through a shell), find running
// programs by executable name, and signal them by process id.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::process {

// Starts `program` with `arguments` (argv[0] is the program's path) in a session of its own,
// so it outlives the caller's terminal, without waiting for it. Signals the caller ignores or
// blocks are reset for the child.
std::optional<pid_t> launch(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments, std::error_code& error);

// The processes of this user whose executable is named `executable_name`: the file name of
// /proc/<pid>/exe, or of the first word of /proc/<pid>/cmdline when the link cannot be read.
// The full name counts, not the kernel's 15-character command name; ended (zombie) processes
// do not. The calling process is included when it matches.
std::vector<pid_t> find_running(std::string_view executable_name);
bool is_running(std::string_view executable_name);

// The value of `variable` in the environment process `pid` started with; nullopt when it is
// not set there or the process cannot be read (another user's, or gone).
std::optional<std::string> environment_value(pid_t pid, std::string_view variable);

// The processes of this user, the caller excluded, whose environment sets `variable` to
// `value`.
std::vector<pid_t> find_with_environment(std::string_view variable, std::string_view value);

// Programs of this session: the user's processes that name the same runtime folder as the
// caller (KEP_RUNTIME_DIR and XDG_RUNTIME_DIR set alike), so that two systems run side by side
// with their own runtime folders never take each other's programs for their own.
std::vector<pid_t> find_running_in_session(std::string_view executable_name);
bool is_running_in_session(std::string_view executable_name);

// Sends `signal` to one process. Refuses pids below 1, which would address process groups.
bool send_signal(pid_t pid, int signal, std::error_code& error);

// Waits for a child to end and reaps it: its wait status, or nullopt after `timeout`.
std::optional<int> wait_for_exit(pid_t pid, std::chrono::milliseconds timeout);

// Reaps the launched children that have ended, so they do not linger as zombies.
void reap_launched();

}  // namespace platform::process
