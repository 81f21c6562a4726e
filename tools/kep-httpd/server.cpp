#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>

#include "platform/files.h"
#include "replies.h"

namespace kep_httpd {

namespace {

// One request: its target exactly as received (libmicrohttpd hands the handler a decoded
// path without the query), and whether it was logged yet.
struct RequestState {
  std::string target;
  bool logged = false;
};

void report(const std::string& message) {
  std::fprintf(stderr, "kep-httpd: %s\n", message.c_str());
}

}  // namespace

std::unique_ptr<Server> Server::start(const ServerOptions& options, std::string& error) {
  std::unique_ptr<Server> server(new Server(options));
  if (!server->read_rules(error)) return nullptr;
  if (options.request_log && !(server->log_ = RequestLog::open(*options.request_log, error))) {
    return nullptr;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // A thread for each connection lets a held-back reply wait without holding up the others.
  server->daemon_ = MHD_start_daemon(
      MHD_USE_POLL_INTERNAL_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_ERROR_LOG, 0,
      nullptr, nullptr, &Server::on_request, server.get(), MHD_OPTION_SOCK_ADDR, &address,
      MHD_OPTION_URI_LOG_CALLBACK, &Server::on_uri, server.get(), MHD_OPTION_NOTIFY_COMPLETED,
      &Server::on_completed, server.get(), MHD_OPTION_END);
  if (!server->daemon_) {
    error = "cannot listen on 127.0.0.1";
    return nullptr;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(server->daemon_, MHD_DAEMON_INFO_BIND_PORT);
  if (!info || info->port == 0) {
    error = "cannot learn the port listened on";
    return nullptr;
  }
  server->port_ = info->port;
  return server;
}

Server::~Server() {
  stop_.stop();
  if (daemon_) MHD_stop_daemon(daemon_);
}

std::optional<RuleSet> Server::read_rules(std::string& error) {
  std::error_code read_error;
  auto text = platform::files::read_file(options_.rules_file, read_error);
  if (!text) {
    error = "cannot read the rules file " + options_.rules_file.string() + ": " +
            read_error.message();
    return std::nullopt;
  }
  RuleSet rules = parse_rules(*text, options_.rules_file.parent_path());
  std::lock_guard lock(report_mutex_);
  if (reported_text_ != *text) {
    for (const std::string& problem : rules.problems) {
      report(options_.rules_file.string() + ": " + problem + " (line skipped)");
    }
    reported_text_ = std::move(*text);
  }
  return rules;
}

MHD_Result Server::queue(MHD_Connection* connection, const Reply& reply) {
  if (!reply.response) return MHD_NO;
  MHD_Result result = MHD_queue_response(connection, reply.status, reply.response);
  MHD_destroy_response(reply.response);
  return result;
}

MHD_Result Server::answer(MHD_Connection* connection, const std::string& target) {
  std::string error;
  auto rules = read_rules(error);
  if (!rules) {
    report(error);
    return queue(connection, make_text_reply(MHD_HTTP_INTERNAL_SERVER_ERROR, error + "\n"));
  }
  const std::string path = target.substr(0, target.find('?'));
  const Rule* rule = find_rule(*rules, path);
  if (!rule) return queue(connection, make_text_reply(MHD_HTTP_NOT_FOUND, "no rule for " + path + "\n"));
  if (rule->mode == Mode::Never) {
    stop_.wait();
    return MHD_NO;
  }
  std::string body = rule->text;
  if (rule->body_file) {
    std::error_code read_error;
    auto contents = platform::files::read_file(*rule->body_file, read_error);
    if (!contents) {
      error = "line " + std::to_string(rule->line) + ": cannot read the body file " +
              rule->body_file->string() + ": " + read_error.message();
    } else if (rule->mode == Mode::Cut && static_cast<std::size_t>(rule->number) >= contents->size()) {
      error = "line " + std::to_string(rule->line) + ": cut " + std::to_string(rule->number) +
              " is not below the length of " + rule->body_file->string();
    } else {
      body = std::move(*contents);
    }
    if (!error.empty()) {
      report(error);
      return queue(connection, make_text_reply(MHD_HTTP_INTERNAL_SERVER_ERROR, error + "\n"));
    }
  }
  return queue(connection, make_reply(*rule, std::move(body), stop_));
}

void* Server::on_uri(void*, const char* uri, MHD_Connection*) {
  return new RequestState{uri ? uri : ""};
}

MHD_Result Server::on_request(void* cls, MHD_Connection* connection, const char* url,
                              const char* method, const char*, const char*,
                              std::size_t* upload_data_size, void** request_state) {
  auto* self = static_cast<Server*>(cls);
  auto* state = static_cast<RequestState*>(*request_state);
  if (!state) *request_state = state = new RequestState{url};
  if (!state->logged) {
    // Logged before any reply goes out, so a client that has its answer finds the line.
    state->logged = true;
    if (self->log_) {
      self->log_->append(log_line(method, state->target,
                                  MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                              MHD_HTTP_HEADER_USER_AGENT)));
    }
    return MHD_YES;
  }
  if (*upload_data_size != 0) {
    *upload_data_size = 0;  // a request body is not looked at
    return MHD_YES;
  }
  return self->answer(connection, state->target);
}

void Server::on_completed(void*, MHD_Connection*, void** request_state,
                          MHD_RequestTerminationCode) {
  delete static_cast<RequestState*>(*request_state);
  *request_state = nullptr;
}

}  // namespace kep_httpd
