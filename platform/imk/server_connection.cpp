#include "platform/imk/server_connection.h"

#include <cstdio>

#include "platform/imk/context_client.h"
#include "platform/imk/menu_key_equivalent.h"

namespace platform::imk {
namespace {

using wire::MessageId;
using wire::Status;

// Messages handled per wake-up, so one busy application cannot starve the others.
constexpr int kMessagesPerTurn = 16;

std::string status_only(Status status) {
  return std::string(1, static_cast<char>(status));
}

wire::Writer ok() {
  wire::Writer writer;
  writer.u8(static_cast<std::uint8_t>(Status::Ok));
  return writer;
}

// An optional composition text as an answer: present byte, then the text.
std::string optional_text(const std::optional<std::string>& text) {
  wire::Writer writer = ok();
  writer.u8(text ? 1 : 0);
  if (text) writer.text(*text);
  return writer.take();
}

}  // namespace

ServerConnection::ServerConnection(UniqueFd fd, pid_t peer, InputMethod& method,
                                   const ServerOptions& options)
    : fd_(std::move(fd)),
      peer_(peer),
      method_(method),
      options_(options),
      accepted_(Clock::now()),
      last_activity_(accepted_) {}

ServerConnection::~ServerConnection() {
  // A controller may still talk to its client while it goes; that client must be there.
  for (auto& [id, context] : contexts_) context.controller.reset();
  contexts_.clear();
}

std::optional<ServerConnection::Clock::time_point> ServerConnection::deadline() const {
  std::optional<Clock::time_point> due;
  if (!greeted_) due = accepted_ + options_.hello_timeout;
  if (auto started = receiver_.message_started()) {
    Clock::time_point message_due = *started + options_.message_timeout;
    if (!due || message_due < *due) due = message_due;
  }
  return due;
}

bool ServerConnection::on_readable() {
  last_activity_ = Clock::now();
  for (int turn = 0; turn < kMessagesPerTurn && !broken_; ++turn) {
    ports::Message message;
    switch (receiver_.next(fd_.get(), wire::Clock::now(), message)) {
      case wire::Receiver::Result::Nothing:
        return true;
      case wire::Receiver::Result::Closed:
        return false;
      case wire::Receiver::Result::Malformed:
        std::fprintf(stderr, "input method: malformed packet from process %d, closed\n",
                     static_cast<int>(peer_));
        return false;
      case wire::Receiver::Result::Message:
        if (message.kind == ports::FrameKind::Request) {
          dispatch(message);
        } else if (unresponsive_) {
          // A late answer, itself dropped, shows that the application reads and answers again.
          unresponsive_ = false;
          std::fprintf(stderr, "input method: process %d answers queries again\n",
                       static_cast<int>(peer_));
        }
        break;
    }
  }
  return !broken_;
}

void ServerConnection::dispatch(const ports::Message& request) {
  std::optional<std::string> reply = answer(request);
  if (!reply) {
    std::fprintf(stderr, "input method: malformed message %d from process %d, closed\n",
                 static_cast<int>(request.id), static_cast<int>(peer_));
    broken_ = true;
  }
  if (broken_ || (request.flags & ports::kFlagWantsReply) == 0) return;
  ports::Message message{ports::FrameKind::Reply, 0, request.id, request.sequence,
                         std::move(*reply)};
  if (!wire::send_message(fd_.get(), message, Clock::now() + options_.query_timeout)) {
    broken_ = true;
  }
}

std::optional<std::string> ServerConnection::answer(const ports::Message& request) {
  wire::Reader reader(request.payload);
  const auto id = static_cast<MessageId>(request.id);
  if (id == MessageId::Hello) {
    ClientInfo info;
    if (!wire::read_client_info(reader, info) || !reader.complete()) return std::nullopt;
    if (greeted_ || reader.invalid_text()) return status_only(Status::Refused);
    info_ = std::move(info);
    greeted_ = true;
    return status_only(Status::Ok);
  }
  if (id == MessageId::CreateContext) {
    if (!reader.complete()) return std::nullopt;
    if (!greeted_) return status_only(Status::Refused);
    return create_context();
  }
  std::uint32_t context_id = 0;
  if (!reader.u32(context_id)) return std::nullopt;
  auto found = contexts_.find(context_id);
  if (found == contexts_.end()) return status_only(Status::Refused);
  if (id == MessageId::DestroyContext) {
    if (!reader.complete()) return std::nullopt;
    destroy_context(context_id);
    return status_only(Status::Ok);
  }
  return answer_context_request(id, found->second, reader);
}

std::optional<std::string> ServerConnection::answer_context_request(MessageId id,
                                                                    Context& context,
                                                                    wire::Reader& reader) {
  InputController& controller = *context.controller;
  ContextClient& client = *context.client;
  std::uint8_t caps_lock = 0;
  switch (id) {
    case MessageId::Activate:
      if (!reader.u8(caps_lock) || !reader.complete()) return std::nullopt;
      client.set_caps_lock(caps_lock != 0);
      controller.activateServer(client);
      return status_only(Status::Ok);
    case MessageId::Deactivate: {
      std::uint8_t reason = 0;
      std::string source;
      if (!reader.u8(reason) || !reader.text(source) || !reader.complete() || reason > 1) {
        return std::nullopt;
      }
      if (reader.invalid_text()) return status_only(Status::Refused);
      controller.deactivateServer(client,
                                  reason == 0 ? DeactivationReason::FocusMoved
                                              : DeactivationReason::InputSourceChanged,
                                  source);
      return status_only(Status::Ok);
    }
    case MessageId::KeyDown:
    case MessageId::FlagsChanged: {
      Event event;
      event.type = id == MessageId::KeyDown ? EventType::KeyDown : EventType::FlagsChanged;
      if (id == MessageId::KeyDown && !reader.text(event.characters)) return std::nullopt;
      if (!reader.u16(event.key_code) || !reader.u64(event.modifier_flags) ||
          !reader.u8(caps_lock) || !reader.complete()) {
        return std::nullopt;
      }
      client.set_caps_lock(caps_lock != 0);
      // Characters that are not UTF-8 never reach the controller; the application keeps
      // the key.
      bool handled = false;
      if (!reader.invalid_text()) {
        if (auto tag = menu_item_for_key(controller.menu(), event)) {
          controller.invokeMenuItem(*tag, client);
          handled = true;
        } else {
          handled = controller.handleEvent(event, client);
        }
      }
      wire::Writer writer = ok();
      writer.u8(handled ? 1 : 0);
      return writer.take();
    }
    case MessageId::CommitComposition:
      if (!reader.complete()) return std::nullopt;
      controller.commitComposition(client);
      return status_only(Status::Ok);
    case MessageId::OriginalString:
      if (!reader.complete()) return std::nullopt;
      return optional_text(controller.originalString(client));
    case MessageId::ComposedString:
      if (!reader.complete()) return std::nullopt;
      return optional_text(controller.composedString(client));
    case MessageId::Menu: {
      if (!reader.complete()) return std::nullopt;
      wire::Writer writer = ok();
      wire::write_menu(writer, controller.menu());
      return writer.take();
    }
    case MessageId::InvokeMenuItem: {
      std::int32_t tag = 0;
      if (!reader.i32(tag) || !reader.complete()) return std::nullopt;
      controller.invokeMenuItem(tag, client);
      return status_only(Status::Ok);
    }
    default:
      return std::nullopt;
  }
}

std::string ServerConnection::create_context() {
  std::uint32_t id = 0;
  const std::size_t held = process_contexts_ ? process_contexts_(peer_) : contexts_.size();
  const bool room = contexts_.size() < options_.max_contexts &&
                    held < options_.max_process_contexts;
  if (!room && !refused_context_) {
    refused_context_ = true;
    std::fprintf(stderr, "input method: process %d holds %zu contexts, more are refused\n",
                 static_cast<int>(peer_), held);
  }
  if (room) {
    id = next_context_++;
    if (next_context_ == 0) next_context_ = 1;  // 0 answers "refused"
    Context context;
    context.client = std::make_unique<ContextClient>(*this, id);
    context.controller = method_.createController(*context.client);
    if (context.controller) {
      contexts_.emplace(id, std::move(context));
    } else {
      id = 0;
    }
  }
  wire::Writer writer = ok();
  writer.u32(id);
  return writer.take();
}

void ServerConnection::destroy_context(std::uint32_t id) {
  auto found = contexts_.find(id);
  if (found == contexts_.end()) return;
  found->second.controller.reset();
  contexts_.erase(found);
}

void ServerConnection::notify(MessageId id, std::string payload) {
  if (broken_) return;
  ports::Message message{ports::FrameKind::Request, 0, static_cast<std::int32_t>(id),
                         next_sequence_++, std::move(payload)};
  if (!wire::send_message(fd_.get(), message, Clock::now() + options_.query_timeout)) {
    broken_ = true;
  }
}

// An application that let one query's deadline pass is likely to let the next pass too (hung,
// or not reading its socket), and every wait holds up all applications' keys. So it is not
// asked again until it answers: its late answer (read by on_readable like any message) shows
// it is back. A key of its own proves nothing, as a hung document can sit behind a live event
// loop; nor does time alone, since asking again to find out costs everyone a whole deadline.
std::optional<std::string> ServerConnection::ask(MessageId id, std::string payload) {
  if (broken_ || unresponsive_) return std::nullopt;
  const std::uint32_t sequence = next_sequence_++;
  ports::Message query{ports::FrameKind::Request, ports::kFlagWantsReply,
                       static_cast<std::int32_t>(id), sequence, std::move(payload)};
  const auto deadline = Clock::now() + options_.query_timeout;
  if (!wire::send_message(fd_.get(), query, deadline)) {
    broken_ = true;
    return std::nullopt;
  }
  // Only this connection is read meanwhile; the others wait for the run loop.
  while (true) {
    ports::Message message;
    switch (receiver_.next(fd_.get(), deadline, message)) {
      case wire::Receiver::Result::Nothing:
        // No answer in time; a late one is dropped when it comes.
        unresponsive_ = true;
        std::fprintf(stderr,
                     "input method: process %d did not answer a query in time, not asked again "
                     "until it answers\n",
                     static_cast<int>(peer_));
        return std::nullopt;
      case wire::Receiver::Result::Closed:
      case wire::Receiver::Result::Malformed:
        broken_ = true;
        return std::nullopt;
      case wire::Receiver::Result::Message:
        break;
    }
    if (message.kind == ports::FrameKind::Request) {
      // The application waits for the answer of its own call: a new request now breaks the
      // protocol.
      broken_ = true;
      return std::nullopt;
    }
    if (message.kind != ports::FrameKind::Reply || message.sequence != sequence) continue;
    if (message.payload.empty() ||
        static_cast<Status>(message.payload[0]) != Status::Ok) {
      return std::nullopt;
    }
    return message.payload.substr(1);
  }
}

}  // namespace platform::imk
