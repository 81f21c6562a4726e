// The server side of the input-method framework: an input method registers under its
// connection name, and for each input context of each client application the framework
// creates one of the method's input controllers and hands it that context's events. The
// controller writes back into the application through its Client: marked text, inserted text,
// and synchronous queries that the client answers while it waits for the event's answer.
//
// Everything here runs on the server's run loop; a query blocks that loop for at most
// kQueryTimeout and never runs a nested loop, so nothing else is handled in between. An
// application that lets a query's deadline pass is not asked again (its queries answer "no
// answer" at once) until it answers, so it costs the other applications one deadline at most.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/imk/keys.h"
#include "platform/runloop.h"

namespace platform::imk {

// A client's "not found" location, by the width of its words.
inline constexpr std::uint64_t kNotFound64 = 0x7FFFFFFFFFFFFFFFull;
inline constexpr std::uint64_t kNotFound32 = 0x7FFFFFFFull;
constexpr std::uint64_t not_found_for_width(int word_width) {
  return word_width == 32 ? kNotFound32 : kNotFound64;
}

// A query the client does not answer within this time counts as no answer.
inline constexpr std::chrono::milliseconds kQueryTimeout{500};

// A range of characters (UTF-16 units, as clients count them).
struct Range {
  std::uint64_t location = 0;
  std::uint64_t length = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

// A rectangle in screen points, origin at the bottom left of the main screen.
struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// How marked text is underlined in the client's document.
enum class Underline : std::uint8_t { None = 0, Single = 1, Thick = 2 };

// The look of marked text; it travels with the text.
struct MarkedTextStyle {
  Underline underline = Underline::Single;
  friend bool operator==(const MarkedTextStyle&, const MarkedTextStyle&) = default;
};

// The highlight styles an input method marks its text with.
inline constexpr int kHiliteRawText = 2;
inline constexpr int kHiliteSelectedRawText = 3;
inline constexpr int kHiliteConvertedText = 4;
inline constexpr int kHiliteSelectedConvertedText = 5;

// The look of a highlight style: raw and converted text underlined once, their selected parts
// thick; any other style plain.
MarkedTextStyle mark_for_style(int style);

enum class EventType : int { KeyDown = 10, FlagsChanged = 12 };

struct Event {
  EventType type = EventType::KeyDown;
  std::string characters;  // UTF-8; checked valid by the framework; empty for flags-changed
  std::uint16_t key_code = 0;
  std::uint64_t modifier_flags = 0;  // device-independent masks and side-specific bits
};

// What the client declared when it connected.
struct ClientInfo {
  std::string application_path;   // the application's path ("" when unknown)
  std::string bundle_identifier;  // "" when unknown
  int word_width = 64;            // 32 or 64
  // Whether the client answers "supports Unicode" at all, and its answer.
  std::optional<bool> supports_unicode;
  bool can_override_keyboard = false;
};

// Why a context was deactivated.
enum class DeactivationReason { FocusMoved, InputSourceChanged };

// One input context of a client application, as the server's controller sees it.
class Client {
 public:
  virtual ~Client() = default;

  virtual const ClientInfo& info() const = 0;
  // The client process (the connection's peer).
  virtual pid_t process_id() const = 0;
  std::uint64_t not_found() const { return not_found_for_width(info().word_width); }

  // Shows `text` as marked text in `style`; an empty text removes it.
  virtual void set_marked_text(std::string_view text, Range selection, Range replacement,
                               MarkedTextStyle style) = 0;
  virtual void insert_text(std::string_view text, Range replacement) = 0;

  // Synchronous queries: nullopt when the client has no answer, or gave none in time.
  virtual std::optional<Range> selected_range() = 0;
  virtual std::optional<std::string> substring(Range range) = 0;
  // The rectangle of the line holding character `index` (the caret line for 0).
  virtual std::optional<Rect> line_rect(std::uint64_t index) = 0;

  // Forces the client's keyboard layout; only for clients that declared they can.
  virtual void override_keyboard(std::string_view layout) = 0;

  // The Caps Lock light as the client last reported it (at activation and with each event).
  virtual bool caps_lock_on() const = 0;
};

// A menu item as the framework lists it to clients.
struct MenuItem {
  int tag = 0;
  std::string title;
  int state = 0;  // 0 off, 1 on, -1 mixed
  std::string key_equivalent;
  std::uint64_t key_modifiers = 0;
  bool enabled = true;
  bool separator = false;
};

// The input method's controller of one context.
class InputController {
 public:
  virtual ~InputController() = default;

  // Answers whether the event was handled (true swallows it; false lets the client have it).
  virtual bool handleEvent(const Event& event, Client& client) = 0;
  virtual void activateServer(Client& client) = 0;
  // `new_input_source` names the input source the user switched to (InputSourceChanged).
  virtual void deactivateServer(Client& client, DeactivationReason reason,
                                std::string_view new_input_source) = 0;
  virtual void commitComposition(Client& client) = 0;
  virtual std::optional<std::string> originalString(Client& client) = 0;
  virtual std::optional<std::string> composedString(Client& client) = 0;

  virtual std::vector<MenuItem> menu() { return {}; }
  virtual void invokeMenuItem(int /*tag*/, Client& /*client*/) {}
};

// The input method: makes a controller for each new context.
class InputMethod {
 public:
  virtual ~InputMethod() = default;
  // nullptr refuses the context.
  virtual std::unique_ptr<InputController> createController(Client& client) = 0;
};

// How the server treats its connections. The defaults suit the input method; tests shorten them.
struct ServerOptions {
  // Applications served at once. At the limit a new connection closes the one that never said
  // hello and has been idle longest; it is refused only when every connection has said hello.
  std::size_t max_connections = 256;
  // Contexts one application may hold. An application makes one per text field that has had
  // focus and normally keeps a handful; a few dozen covers a browser or terminal with many tabs.
  // Each context costs a controller (tens of KiB with its engine conversation), so the bound
  // keeps one application from making the server hold hundreds of megabytes.
  std::size_t max_contexts = 64;
  // Contexts of one process over all its connections: a process may play several applications
  // (one connection each, as tests do), but not open connections to multiply its bound.
  std::size_t max_process_contexts = 256;
  // A connection that has not said hello this long after it was accepted is closed.
  std::chrono::milliseconds hello_timeout{5000};
  // A connection that has begun a message and not completed it within this is closed.
  std::chrono::milliseconds message_timeout{5000};
  // How long a query waits for the application's answer.
  std::chrono::milliseconds query_timeout = kQueryTimeout;
  // How long the server stops accepting after accept failed (out of descriptors with no
  // connection that never said hello to close, say): the waiting connection stays queued, and
  // accepting again at once would only spin.
  std::chrono::milliseconds accept_backoff{250};
  // Refused connections and failed accepts are logged at most once per this interval.
  std::chrono::milliseconds log_interval{60000};
};

// The registered server. Destroying it deactivates nothing: it destroys every controller (its
// clients' contexts) and closes their connections.
class Server {
 public:
  // Serves `connection_name` from `loop`. Fails with std::errc::address_in_use when a live
  // process serves the name; a socket left behind by a dead one is replaced.
  static std::unique_ptr<Server> create(std::string_view connection_name, InputMethod& method,
                                        RunLoop& loop, std::error_code& error,
                                        const ServerOptions& options = {});
  virtual ~Server() = default;
  // Contexts currently alive, for tests and logs.
  virtual std::size_t context_count() const = 0;
};

}  // namespace platform::imk
