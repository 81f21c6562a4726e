#include "platform/process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/files.h"

extern char** environ;

namespace platform::process {

namespace fs = std::filesystem;

namespace {

std::mutex launched_mutex;
std::vector<pid_t> launched;

std::string executable_of(const fs::path& proc_entry) {
  std::error_code error;
  fs::path exe = fs::read_symlink(proc_entry / "exe", error);
  if (!error) {
    std::string name = exe.filename().string();
    // A program whose file was replaced while it ran (a rebuild) is still that program.
    constexpr std::string_view kDeleted = " (deleted)";
    if (name.ends_with(kDeleted)) name.resize(name.size() - kDeleted.size());
    return name;
  }
  auto cmdline = files::read_file(proc_entry / "cmdline", error);
  if (!cmdline || cmdline->empty()) return {};
  std::string first = cmdline->substr(0, cmdline->find('\0'));
  return fs::path(first).filename().string();
}

// The state letter of /proc/<pid>/stat, after the parenthesised command name (which may itself
// hold parentheses and blanks).
char state_of(const fs::path& proc_entry) {
  std::error_code error;
  auto stat = files::read_file(proc_entry / "stat", error);
  if (!stat) return '?';
  std::size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) return '?';
  return (*stat)[close + 2];
}

bool is_pid_name(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

}  // namespace

std::optional<pid_t> launch(const fs::path& program, const std::vector<std::string>& arguments,
                            std::error_code& error) {
  error.clear();
  std::vector<std::string> words;
  words.push_back(program.string());
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t no_signals;
  sigemptyset(&no_signals);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGQUIT, SIGXFSZ}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &no_signals);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    error = {rc, std::generic_category()};
    return std::nullopt;
  }
  std::lock_guard lock(launched_mutex);
  launched.push_back(pid);
  return pid;
}

std::vector<pid_t> find_running(std::string_view executable_name) {
  std::vector<pid_t> found;
  if (executable_name.empty()) return found;
  std::error_code error;
  uid_t me = ::getuid();
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::string name = entry.path().filename().string();
    if (!is_pid_name(name)) continue;
    struct stat info {};
    if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != me) continue;
    if (executable_of(entry.path()) != executable_name) continue;
    if (state_of(entry.path()) == 'Z') continue;
    found.push_back(static_cast<pid_t>(std::stol(name)));
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool is_running(std::string_view executable_name) { return !find_running(executable_name).empty(); }

std::optional<std::string> environment_value(pid_t pid, std::string_view variable) {
  std::error_code error;
  auto environment = files::read_file(fs::path("/proc") / std::to_string(pid) / "environ", error);
  if (!environment) return std::nullopt;
  std::string_view rest = *environment;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\0'), rest.size());
    std::string_view entry = rest.substr(0, end);
    if (entry.size() > variable.size() && entry.starts_with(variable) &&
        entry[variable.size()] == '=') {
      return std::string(entry.substr(variable.size() + 1));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return std::nullopt;
}

std::vector<pid_t> find_with_environment(std::string_view variable, std::string_view value) {
  std::vector<pid_t> found;
  std::error_code error;
  const uid_t me = ::getuid();
  const pid_t self = ::getpid();
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::string name = entry.path().filename().string();
    if (!is_pid_name(name)) continue;
    struct stat info {};
    if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != me) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    if (pid == self) continue;
    if (environment_value(pid, variable) == value) found.push_back(pid);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<pid_t> find_running_in_session(std::string_view executable_name) {
  std::vector<pid_t> found = find_running(executable_name);
  std::erase_if(found, [](pid_t pid) {
    for (const char* variable : {"KEP_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
      const char* mine = std::getenv(variable);
      std::optional<std::string> theirs = environment_value(pid, variable);
      if (theirs != (mine != nullptr ? std::optional<std::string>(mine) : std::nullopt)) return true;
    }
    return false;
  });
  return found;
}

bool is_running_in_session(std::string_view executable_name) {
  return !find_running_in_session(executable_name).empty();
}

bool send_signal(pid_t pid, int signal, std::error_code& error) {
  error.clear();
  if (pid < 1) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  if (::kill(pid, signal) != 0) {
    error = {errno, std::generic_category()};
    return false;
  }
  return true;
}

std::optional<int> wait_for_exit(pid_t pid, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int status = 0;
    pid_t rc = ::waitpid(pid, &status, WNOHANG);
    if (rc == pid) {
      std::lock_guard lock(launched_mutex);
      std::erase(launched, pid);
      return status;
    }
    if (rc < 0 && errno != EINTR) return std::nullopt;  // not our child, or already reaped
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void reap_launched() {
  std::lock_guard lock(launched_mutex);
  std::erase_if(launched, [](pid_t pid) {
    int status = 0;
    pid_t rc = ::waitpid(pid, &status, WNOHANG);
    return rc == pid || (rc < 0 && errno == ECHILD);
  });
}

}  // namespace platform::process
