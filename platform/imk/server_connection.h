// One application's connection to the input-method server: its hello, its contexts with their
// controllers, and the messages the controllers send back to it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/imk/input_method.h"
#include "platform/imk/wire.h"
#include "platform/imk/wire_io.h"
#include "platform/unique_fd.h"

namespace platform::imk {

class ContextClient;

class ServerConnection {
 public:
  using Clock = wire::Clock;

  ServerConnection(UniqueFd fd, pid_t peer, InputMethod& method,
                   const ServerOptions& options = {});
  // Destroys every controller of the connection, then their clients.
  ~ServerConnection();
  ServerConnection(const ServerConnection&) = delete;
  ServerConnection& operator=(const ServerConnection&) = delete;

  int descriptor() const { return fd_.get(); }
  std::size_t context_count() const { return contexts_.size(); }
  bool greeted() const { return greeted_; }
  // How many contexts the peer's process holds over all its connections; without it only this
  // connection's count is bounded.
  using ProcessContextCounter = std::function<std::size_t(pid_t)>;
  void set_process_context_counter(ProcessContextCounter counter) {
    process_contexts_ = std::move(counter);
  }
  // Whether part of a message has come and the rest not yet.
  bool in_message() const { return receiver_.message_started().has_value(); }
  // When it last had something to read (or was accepted).
  Clock::time_point last_activity() const { return last_activity_; }
  // When the connection is closed unless it makes progress: its hello is due, or the message
  // it has begun must be complete. nullopt when it owes nothing.
  std::optional<Clock::time_point> deadline() const;

  // Handles what has arrived. False when the connection is over: closed by the peer,
  // malformed, or broken while a controller talked to it.
  bool on_readable();

  // For the contexts' clients.
  const ClientInfo& info() const { return info_; }
  pid_t peer() const { return peer_; }
  // Sends a message that wants no answer.
  void notify(wire::MessageId id, std::string payload);
  // Sends a query and reads this connection alone until its answer or the query time-out: the
  // answer's payload after an Ok status, else nullopt. After a missed deadline, nullopt at once
  // without asking, until the application answers again.
  std::optional<std::string> ask(wire::MessageId id, std::string payload);

 private:
  struct Context {
    std::unique_ptr<ContextClient> client;
    std::unique_ptr<InputController> controller;
  };

  void dispatch(const ports::Message& request);
  // The answer to `request`, or nullopt when the request was malformed.
  std::optional<std::string> answer(const ports::Message& request);
  std::optional<std::string> answer_context_request(wire::MessageId id, Context& context,
                                                    wire::Reader& reader);
  std::string create_context();
  void destroy_context(std::uint32_t id);

  UniqueFd fd_;
  pid_t peer_;
  InputMethod& method_;
  const ServerOptions options_;
  const Clock::time_point accepted_;
  Clock::time_point last_activity_;
  wire::Receiver receiver_;
  ClientInfo info_;
  bool greeted_ = false;
  // Set when the peer went away or broke the protocol in the middle of a call: the call ends
  // without an answer and the connection is closed after it.
  bool broken_ = false;
  // Set when the application let a query's deadline pass; cleared by its next answer.
  bool unresponsive_ = false;
  // Whether the context bound was logged for this connection.
  bool refused_context_ = false;
  ProcessContextCounter process_contexts_;
  std::uint32_t next_context_ = 1;
  std::uint32_t next_sequence_ = 1;
  std::map<std::uint32_t, Context> contexts_;
};

}  // namespace platform::imk
