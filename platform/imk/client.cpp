// The application's side: one connection, calls that wait for their answers, and the server's
// messages applied to the documents while they wait.
#include "platform/imk/client.h"

#include <map>

#include "platform/imk/client_socket.h"
#include "platform/imk/wire.h"
#include "platform/imk/wire_io.h"

namespace platform::imk {
namespace {

using wire::MessageId;
using wire::Status;

// How long a call waits for the server's answer. Generous: the server may reload its data on
// activation and ask several queries of its own before it answers.
constexpr std::chrono::seconds kReplyTimeout(10);
constexpr std::chrono::seconds kSendTimeout(5);

std::error_code refused_error() { return std::make_error_code(std::errc::invalid_argument); }

class ConnectionImpl final : public Connection {
 public:
  explicit ConnectionImpl(UniqueFd fd) : fd_(std::move(fd)) {}

  bool hello(const ClientInfo& info);

  std::uint32_t create_context(Document& document) override;
  void destroy_context(std::uint32_t context) override;
  bool activate(std::uint32_t context, bool caps_lock_on) override;
  bool deactivate(std::uint32_t context, DeactivationReason reason,
                  std::string_view new_input_source) override;
  std::optional<bool> key_down(std::uint32_t context, const KeyStroke& key) override;
  std::optional<bool> flags_changed(std::uint32_t context, std::uint64_t modifier_flags,
                                    std::uint16_t key_code) override;
  bool commit_composition(std::uint32_t context) override;
  std::optional<std::string> original_string(std::uint32_t context) override;
  std::optional<std::string> composed_string(std::uint32_t context) override;
  std::optional<std::vector<MenuItem>> menu(std::uint32_t context) override;
  bool invoke_menu_item(std::uint32_t context, int tag) override;
  bool serve_for(std::chrono::milliseconds duration) override;
  std::error_code error() const override { return error_; }

 private:
  // Sends a request and waits for its answer, serving the server's messages meanwhile: the
  // answer's payload after an Ok status; nullopt when refused or when the connection failed.
  std::optional<std::string> call(MessageId id, std::string payload);
  bool call_ok(MessageId id, std::string payload) { return call(id, std::move(payload)).has_value(); }
  std::optional<std::string> call_text(MessageId id, std::uint32_t context);
  // Serves the server's requests until `deadline` or until a reply arrives (into `reply`).
  enum class Waited { Reply, DeadlinePassed, Failed };
  Waited serve_until(wire::Clock::time_point deadline, ports::Message& reply);
  // False, with error_ set, when there is no connection to use.
  bool connected();
  // Applies or answers one message of the server; false when it was malformed.
  bool serve(const ports::Message& message);
  std::optional<std::string> serve_context(MessageId id, Document& document,
                                           wire::Reader& reader);
  void fail(std::errc reason);

  UniqueFd fd_;
  wire::Receiver receiver_;
  std::uint32_t next_sequence_ = 1;
  std::map<std::uint32_t, Document*> documents_;
  std::error_code error_;
};

wire::Writer context_payload(std::uint32_t context) {
  wire::Writer writer;
  writer.u32(context);
  return writer;
}

void ConnectionImpl::fail(std::errc reason) {
  error_ = std::make_error_code(reason);
  fd_.reset();
}

bool ConnectionImpl::connected() {
  if (fd_) return true;
  if (!error_) error_ = std::make_error_code(std::errc::not_connected);
  return false;
}

ConnectionImpl::Waited ConnectionImpl::serve_until(wire::Clock::time_point deadline,
                                                   ports::Message& reply) {
  while (true) {
    ports::Message message;
    switch (receiver_.next(fd_.get(), deadline, message)) {
      case wire::Receiver::Result::Nothing:
        return Waited::DeadlinePassed;
      case wire::Receiver::Result::Closed:
        fail(std::errc::connection_reset);
        return Waited::Failed;
      case wire::Receiver::Result::Malformed:
        fail(std::errc::protocol_error);
        return Waited::Failed;
      case wire::Receiver::Result::Message:
        break;
    }
    if (message.kind != ports::FrameKind::Request) {
      reply = std::move(message);
      return Waited::Reply;
    }
    if (!serve(message)) {
      fail(std::errc::protocol_error);
      return Waited::Failed;
    }
  }
}

std::optional<std::string> ConnectionImpl::call(MessageId id, std::string payload) {
  if (!connected()) return std::nullopt;
  const std::uint32_t sequence = next_sequence_++;
  ports::Message request{ports::FrameKind::Request, ports::kFlagWantsReply,
                         static_cast<std::int32_t>(id), sequence, std::move(payload)};
  if (!wire::send_message(fd_.get(), request, wire::Clock::now() + kSendTimeout)) {
    fail(std::errc::connection_reset);
    return std::nullopt;
  }
  ports::Message message;
  switch (serve_until(wire::Clock::now() + kReplyTimeout, message)) {
    case Waited::DeadlinePassed:
      fail(std::errc::timed_out);
      return std::nullopt;
    case Waited::Failed:
      return std::nullopt;
    case Waited::Reply:
      break;
  }
  if (message.sequence != sequence || message.id != request.id || message.payload.empty()) {
    fail(std::errc::protocol_error);
    return std::nullopt;
  }
  if (static_cast<Status>(message.payload[0]) != Status::Ok) {
    error_ = refused_error();
    return std::nullopt;
  }
  error_.clear();
  return message.payload.substr(1);
}

bool ConnectionImpl::serve_for(std::chrono::milliseconds duration) {
  if (!connected()) return false;
  ports::Message unexpected;
  switch (serve_until(wire::Clock::now() + duration, unexpected)) {
    case Waited::DeadlinePassed:
      error_.clear();
      return true;
    case Waited::Failed:
      return false;
    case Waited::Reply:
      // Every call takes its own reply before it returns, so nothing is owed one now.
      fail(std::errc::protocol_error);
      return false;
  }
  return false;
}

bool ConnectionImpl::serve(const ports::Message& message) {
  wire::Reader reader(message.payload);
  std::uint32_t context = 0;
  if (!reader.u32(context)) return false;
  auto found = documents_.find(context);
  std::optional<std::string> answer;
  if (found == documents_.end()) {
    // A context destroyed meanwhile: nothing to apply, no answer to give.
    wire::Writer writer;
    answer = writer.u8(static_cast<std::uint8_t>(Status::Ok)).u8(0).take();
  } else {
    answer = serve_context(static_cast<MessageId>(message.id), *found->second, reader);
    if (!answer) return false;
  }
  if ((message.flags & ports::kFlagWantsReply) == 0) return true;
  ports::Message reply{ports::FrameKind::Reply, 0, message.id, message.sequence,
                       std::move(*answer)};
  // A late answer is dropped by the server, so a slow document costs only its query.
  return wire::send_message(fd_.get(), reply, wire::Clock::now() + kSendTimeout);
}

std::optional<std::string> ConnectionImpl::serve_context(MessageId id, Document& document,
                                                         wire::Reader& reader) {
  wire::Writer answer;
  answer.u8(static_cast<std::uint8_t>(Status::Ok));
  std::string text;
  Range first, second;
  MarkedTextStyle style;
  switch (id) {
    case MessageId::SetMarkedText:
      if (!reader.text(text) || !reader.range(first) || !reader.range(second) ||
          !reader.marked_style(style) || !reader.complete()) {
        return std::nullopt;
      }
      if (!reader.invalid_text()) document.set_marked_text(text, first, second, style);
      return answer.take();
    case MessageId::InsertText:
      if (!reader.text(text) || !reader.range(first) || !reader.complete()) return std::nullopt;
      if (!reader.invalid_text()) document.insert_text(text, first);
      return answer.take();
    case MessageId::OverrideKeyboard:
      if (!reader.text(text) || !reader.complete()) return std::nullopt;
      if (!reader.invalid_text()) document.override_keyboard(text);
      return answer.take();
    case MessageId::SelectedRange: {
      if (!reader.complete()) return std::nullopt;
      std::optional<Range> range = document.selected_range();
      answer.u8(range ? 1 : 0);
      if (range) answer.range(*range);
      return answer.take();
    }
    case MessageId::Substring: {
      if (!reader.range(first) || !reader.complete()) return std::nullopt;
      std::optional<std::string> substring = document.substring(first);
      answer.u8(substring ? 1 : 0);
      if (substring) answer.text(*substring);
      return answer.take();
    }
    case MessageId::LineRect: {
      std::uint64_t index = 0;
      if (!reader.u64(index) || !reader.complete()) return std::nullopt;
      std::optional<Rect> rect = document.line_rect(index);
      answer.u8(rect ? 1 : 0);
      if (rect) answer.rect(*rect);
      return answer.take();
    }
    default:
      return std::nullopt;
  }
}

bool ConnectionImpl::hello(const ClientInfo& info) {
  wire::Writer writer;
  wire::write_client_info(writer, info);
  return call_ok(MessageId::Hello, writer.take());
}

std::uint32_t ConnectionImpl::create_context(Document& document) {
  auto answer = call(MessageId::CreateContext, {});
  if (!answer) return 0;
  wire::Reader reader(*answer);
  std::uint32_t context = 0;
  if (!reader.u32(context) || !reader.complete()) {
    fail(std::errc::protocol_error);
    return 0;
  }
  if (context != 0) documents_[context] = &document;
  return context;
}

void ConnectionImpl::destroy_context(std::uint32_t context) {
  call(MessageId::DestroyContext, context_payload(context).take());
  documents_.erase(context);
}

bool ConnectionImpl::activate(std::uint32_t context, bool caps_lock_on) {
  return call_ok(MessageId::Activate, context_payload(context).u8(caps_lock_on ? 1 : 0).take());
}

bool ConnectionImpl::deactivate(std::uint32_t context, DeactivationReason reason,
                                std::string_view new_input_source) {
  std::uint8_t code = reason == DeactivationReason::FocusMoved ? 0 : 1;
  return call_ok(MessageId::Deactivate,
                 context_payload(context).u8(code).text(new_input_source).take());
}

// The answer's "handled" byte.
std::optional<bool> read_handled(const std::optional<std::string>& answer) {
  if (!answer) return std::nullopt;
  wire::Reader reader(*answer);
  std::uint8_t handled = 0;
  if (!reader.u8(handled) || !reader.complete() || handled > 1) return std::nullopt;
  return handled == 1;
}

std::optional<bool> ConnectionImpl::key_down(std::uint32_t context, const KeyStroke& key) {
  const bool caps_lock = (key.modifier_flags & kCapsLockFlag) != 0;
  auto handled = read_handled(call(MessageId::KeyDown, context_payload(context)
                                                           .text(key.characters)
                                                           .u16(key.key_code)
                                                           .u64(key.modifier_flags)
                                                           .u8(caps_lock ? 1 : 0)
                                                           .take()));
  if (!handled && !error_) fail(std::errc::protocol_error);
  return handled;
}

std::optional<bool> ConnectionImpl::flags_changed(std::uint32_t context,
                                                  std::uint64_t modifier_flags,
                                                  std::uint16_t key_code) {
  const bool caps_lock = (modifier_flags & kCapsLockFlag) != 0;
  auto handled = read_handled(call(MessageId::FlagsChanged, context_payload(context)
                                                                .u16(key_code)
                                                                .u64(modifier_flags)
                                                                .u8(caps_lock ? 1 : 0)
                                                                .take()));
  if (!handled && !error_) fail(std::errc::protocol_error);
  return handled;
}

bool ConnectionImpl::commit_composition(std::uint32_t context) {
  return call_ok(MessageId::CommitComposition, context_payload(context).take());
}

std::optional<std::string> ConnectionImpl::call_text(MessageId id, std::uint32_t context) {
  auto answer = call(id, context_payload(context).take());
  if (!answer) return std::nullopt;
  wire::Reader reader(*answer);
  std::uint8_t present = 0;
  std::string text;
  if (!reader.u8(present) || present > 1 || (present == 1 && !reader.text(text)) ||
      !reader.complete() || reader.invalid_text()) {
    fail(std::errc::protocol_error);
    return std::nullopt;
  }
  return text;
}

std::optional<std::string> ConnectionImpl::original_string(std::uint32_t context) {
  return call_text(MessageId::OriginalString, context);
}

std::optional<std::string> ConnectionImpl::composed_string(std::uint32_t context) {
  return call_text(MessageId::ComposedString, context);
}

std::optional<std::vector<MenuItem>> ConnectionImpl::menu(std::uint32_t context) {
  auto answer = call(MessageId::Menu, context_payload(context).take());
  if (!answer) return std::nullopt;
  wire::Reader reader(*answer);
  std::vector<MenuItem> items;
  if (!wire::read_menu(reader, items) || !reader.complete() || reader.invalid_text()) {
    fail(std::errc::protocol_error);
    return std::nullopt;
  }
  return items;
}

bool ConnectionImpl::invoke_menu_item(std::uint32_t context, int tag) {
  return call_ok(MessageId::InvokeMenuItem, context_payload(context).i32(tag).take());
}

}  // namespace

std::unique_ptr<Connection> Connection::connect(std::string_view connection_name,
                                                const ClientInfo& info, std::error_code& error) {
  return connect(connection_name, info, Options{}, error);
}

std::unique_ptr<Connection> Connection::connect(std::string_view connection_name,
                                                const ClientInfo& info, const Options& options,
                                                std::error_code& error) {
  error.clear();
  UniqueFd fd = connect_socket(connection_name, error);
  if (!fd && error == std::errc::connection_refused && options.start_server) {
    fd = start_and_connect(connection_name, options, error);
  }
  if (!fd) return nullptr;
  auto connection = std::make_unique<ConnectionImpl>(std::move(fd));
  if (!connection->hello(info)) {
    error = connection->error();
    return nullptr;
  }
  return connection;
}

}  // namespace platform::imk
