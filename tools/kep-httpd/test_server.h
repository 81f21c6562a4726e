// A kep-httpd started for a test, in a private mkdtemp folder that holds its rules file, port
// file, request log and stderr; ended (and the folder removed) when the object goes.
//
// The test target names the program: KEP_HTTPD_PROGRAM="$<TARGET_FILE:kep-httpd>" and
// add_dependencies(<target> kep-httpd).
#pragma once

#ifndef KEP_HTTPD_PROGRAM
#error "KEP_HTTPD_PROGRAM must name the kep-httpd binary"
#endif

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace kep_httpd {

// Starts kep-httpd with these arguments and its stderr in `stderr_path`; throws
// std::runtime_error when it cannot be started.
inline pid_t spawn_kep_httpd(std::vector<std::string> arguments,
                             const std::filesystem::path& stderr_path) {
  arguments.insert(arguments.begin(), KEP_HTTPD_PROGRAM);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Nothing of the test's own output is inherited: a server left behind must not hold the
  // test runner's pipe open.
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderr_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // The test's own blocked or ignored signals must not keep SIGTERM from the server.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) throw std::runtime_error(std::string("cannot start ") + KEP_HTTPD_PROGRAM);
  return pid;
}

// Reaps the child once it ends: its wait status, or nullopt when it still runs after `timeout`.
inline std::optional<int> wait_for_child(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class TestHttpServer {
 public:
  // Starts the server with these rules (see tools/kep-httpd/rules.h) and waits until it
  // listens; throws std::runtime_error with its stderr when it does not.
  explicit TestHttpServer(std::string_view rules_text) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kep-httpd-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    try {
      set_rules(rules_text);
      start();
      wait_for_port();
    } catch (...) {
      clean_up();
      throw;
    }
  }
  ~TestHttpServer() { clean_up(); }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by the path (and query).
  std::string url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }
  // Replaces the rules at once (the next request reads the new ones).
  void set_rules(std::string_view rules_text) { write_replacing(folder_ / "rules", rules_text); }
  // The folder of the rules file, where "@file" bodies are looked up.
  const std::filesystem::path& folder() const { return folder_; }
  // The request log so far: "METHOD PATH?QUERY<TAB>USER-AGENT" a line, line ends removed.
  std::vector<std::string> requests() const {
    std::vector<std::string> lines;
    std::istringstream log(read(folder_ / "requests"));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }
  // What the server wrote to stderr so far.
  std::string errors() const { return read(folder_ / "stderr"); }
  // Ends the server with SIGTERM (SIGKILL when it does not end within 20 s); its wait status,
  // or nullopt when it had to be killed. Later calls answer the first one's result.
  std::optional<int> stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    status_ = wait_for_exit(std::chrono::seconds(20));
    if (!status_) {
      ::kill(pid_, SIGKILL);
      int ignored = 0;
      ::waitpid(pid_, &ignored, 0);
    }
    pid_ = -1;
    return status_;
  }

 private:
  static std::string read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  static void write_replacing(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path temporary = path.string() + ".new";
    {
      std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      if (!out.flush()) throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, path);
  }

  void clean_up() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  void start() {
    pid_ = spawn_kep_httpd({"--rules", (folder_ / "rules").string(), "--port-file",
                            (folder_ / "port").string(), "--request-log",
                            (folder_ / "requests").string(), "--exit-with-parent"},
                           folder_ / "stderr");
  }

  void wait_for_port() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string text = read(folder_ / "port");
      if (!text.empty() && text.back() == '\n') {
        port_ = std::atoi(text.c_str());
        if (port_ > 0) return;
        break;
      }
      if ((status_ = wait_for_exit(std::chrono::milliseconds(0)))) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("kep-httpd did not start listening: " + errors());
  }

  std::optional<int> wait_for_exit(std::chrono::milliseconds timeout) {
    return wait_for_child(pid_, timeout);
  }

  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int port_ = 0;
  std::optional<int> status_;
};

}  // namespace kep_httpd
