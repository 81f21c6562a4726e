// The Client a controller writes to: one context of one connection. Texts are checked before
// they leave, and queries go out through the connection, which waits for their answers.
#pragma once

#include <cstdint>

#include "platform/imk/input_method.h"

namespace platform::imk {

class ServerConnection;

class ContextClient final : public Client {
 public:
  ContextClient(ServerConnection& connection, std::uint32_t context)
      : connection_(connection), context_(context) {}

  const ClientInfo& info() const override;
  pid_t process_id() const override;

  void set_marked_text(std::string_view text, Range selection, Range replacement,
                       MarkedTextStyle style) override;
  void insert_text(std::string_view text, Range replacement) override;
  std::optional<Range> selected_range() override;
  std::optional<std::string> substring(Range range) override;
  std::optional<Rect> line_rect(std::uint64_t index) override;
  void override_keyboard(std::string_view layout) override;

  bool caps_lock_on() const override { return caps_lock_on_; }
  void set_caps_lock(bool on) { caps_lock_on_ = on; }

 private:
  ServerConnection& connection_;
  std::uint32_t context_;
  bool caps_lock_on_ = false;
};

}  // namespace platform::imk
