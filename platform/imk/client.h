// The client side of the input-method framework: what an application links to reach the input
// method. A Connection talks to the server named by its connection name; each Document is one
// input context. While a call waits for its answer, or while serve_for() waits, the library
// applies the server's marked and inserted text to the document and answers the server's
// queries from it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/imk/input_method.h"
#include "platform/imk/keys.h"

namespace platform::imk {

// The application's side of one input context.
class Document {
 public:
  virtual ~Document() = default;
  virtual void set_marked_text(std::string_view text, Range selection, Range replacement,
                               MarkedTextStyle style) = 0;
  virtual void insert_text(std::string_view text, Range replacement) = 0;
  // Query answers; nullopt answers "none".
  virtual std::optional<Range> selected_range() = 0;
  virtual std::optional<std::string> substring(Range range) = 0;
  virtual std::optional<Rect> line_rect(std::uint64_t index) = 0;
  // A keyboard layout the server asked for (only when the client declared it can override).
  virtual void override_keyboard(std::string_view /*layout*/) {}
};

class Connection {
 public:
  // Connects to the server serving `connection_name` and says hello with `info`. Fails with
  // std::errc::connection_refused when nobody serves the name; with `start_server` set, the
  // server program of `server_bundle_identifier` is then started from its bundle (under the
  // root prefix) and waited for up to `start_timeout`.
  struct Options {
    bool start_server = false;
    std::string server_bundle_identifier;
    std::chrono::milliseconds start_timeout{5000};
  };
  static std::unique_ptr<Connection> connect(std::string_view connection_name,
                                             const ClientInfo& info, std::error_code& error);
  static std::unique_ptr<Connection> connect(std::string_view connection_name,
                                             const ClientInfo& info, const Options& options,
                                             std::error_code& error);
  virtual ~Connection() = default;

  // Contexts. The document must outlive its context. 0 when the server refused the context.
  virtual std::uint32_t create_context(Document& document) = 0;
  virtual void destroy_context(std::uint32_t context) = 0;

  // Each call below returns false (or nullopt) when the connection failed; error() says why.
  virtual bool activate(std::uint32_t context, bool caps_lock_on) = 0;
  virtual bool deactivate(std::uint32_t context, DeactivationReason reason,
                          std::string_view new_input_source = {}) = 0;
  // The server's "handled" answer.
  virtual std::optional<bool> key_down(std::uint32_t context, const KeyStroke& key) = 0;
  virtual std::optional<bool> flags_changed(std::uint32_t context, std::uint64_t modifier_flags,
                                            std::uint16_t key_code) = 0;
  virtual bool commit_composition(std::uint32_t context) = 0;
  // The composition text ("" when the server has none).
  virtual std::optional<std::string> original_string(std::uint32_t context) = 0;
  virtual std::optional<std::string> composed_string(std::uint32_t context) = 0;
  virtual std::optional<std::vector<MenuItem>> menu(std::uint32_t context) = 0;
  virtual bool invoke_menu_item(std::uint32_t context, int tag) = 0;

  // Stays with the server for `duration` with no call of its own, applying what the server
  // sends meanwhile (marked and inserted text, queries) as while a call waits.
  virtual bool serve_for(std::chrono::milliseconds duration) = 0;

  virtual std::error_code error() const = 0;
};

}  // namespace platform::imk
