// kep-httpd's server: libmicrohttpd on 127.0.0.1 with an ephemeral port, a thread for each
// connection, answering each request by the rules file as it reads at that moment.
#pragma once

#include <microhttpd.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "request_log.h"
#include "rules.h"
#include "stop_signal.h"

namespace kep_httpd {

struct Reply;

struct ServerOptions {
  std::filesystem::path rules_file;
  std::optional<std::filesystem::path> request_log;
};

class Server {
 public:
  // Null with `error` set when the rules file cannot be read, the log not opened or nothing
  // bound. Problems of single rules lines are reported on stderr and do not stop it.
  static std::unique_ptr<Server> start(const ServerOptions& options, std::string& error);
  // Ends the waits of held-back replies, then the server.
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  unsigned port() const { return port_; }

 private:
  explicit Server(ServerOptions options) : options_(std::move(options)) {}

  // The rules as the file reads now, its problems reported once; nullopt when unreadable.
  std::optional<RuleSet> read_rules(std::string& error);
  MHD_Result answer(MHD_Connection* connection, const std::string& target);
  static MHD_Result queue(MHD_Connection* connection, const Reply& reply);

  static void* on_uri(void* cls, const char* uri, MHD_Connection* connection);
  static MHD_Result on_request(void* cls, MHD_Connection* connection, const char* url,
                               const char* method, const char* version, const char* upload_data,
                               std::size_t* upload_data_size, void** request_state);
  static void on_completed(void* cls, MHD_Connection* connection, void** request_state,
                           MHD_RequestTerminationCode code);

  ServerOptions options_;
  std::unique_ptr<RequestLog> log_;
  StopSignal stop_;
  MHD_Daemon* daemon_ = nullptr;
  unsigned port_ = 0;
  std::mutex report_mutex_;
  // The rules text whose problems were last reported, so that each version is reported once.
  std::optional<std::string> reported_text_;
};

}  // namespace kep_httpd
