// The document of the scripted client: committed text with a caret and the marked text, kept
// in UTF-16 units as applications count them. It prints every callback of the server.
#pragma once

#include <cstdio>
#include <string>

#include "platform/imk/client.h"

namespace kep_imk_client {

class ScriptDocument final : public platform::imk::Document {
 public:
  explicit ScriptDocument(std::FILE* out) : out_(out) {}

  void set_marked_text(std::string_view text, platform::imk::Range selection,
                       platform::imk::Range replacement,
                       platform::imk::MarkedTextStyle style) override;
  void insert_text(std::string_view text, platform::imk::Range replacement) override;
  std::optional<platform::imk::Range> selected_range() override;
  std::optional<std::string> substring(platform::imk::Range range) override;
  std::optional<platform::imk::Rect> line_rect(std::uint64_t index) override;
  void override_keyboard(std::string_view layout) override;

 private:
  void print(const std::string& line);

  std::FILE* out_;
  std::u16string text_;
  std::size_t caret_ = 0;
  std::u16string marked_;
};

}  // namespace kep_imk_client
