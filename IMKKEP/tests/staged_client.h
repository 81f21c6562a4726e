// An application of the staged server program, for tests that run the real program: a
// document that records what the server inserts, typing a key script into it, and the wait
// for what a started program comes to do.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/imk/client.h"

namespace staged_client {

// Programs start slowly on a busy machine; only a failing test waits this long.
inline constexpr std::chrono::seconds kStartBound{90};

// Whether `condition` comes to hold within `bound`.
inline bool eventually(const std::function<bool()>& condition, std::chrono::seconds bound = kStartBound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The application's document: what the server inserted.
class Document : public platform::imk::Document {
 public:
  void set_marked_text(std::string_view, platform::imk::Range, platform::imk::Range,
                       platform::imk::MarkedTextStyle) override {}
  void insert_text(std::string_view text, platform::imk::Range) override {
    inserted.emplace_back(text);
  }
  std::optional<platform::imk::Range> selected_range() override { return std::nullopt; }
  std::optional<std::string> substring(platform::imk::Range) override { return std::nullopt; }
  std::optional<platform::imk::Rect> line_rect(std::uint64_t) override { return std::nullopt; }

  std::vector<std::string> inserted;
};

// The texts the keys of `script` made the server insert into `document`, the application of
// `context`; a text in parentheses says why the keys could not all be sent.
inline std::vector<std::string> type(platform::imk::Connection& connection, std::uint32_t context,
                                     Document& document, std::string_view script) {
  document.inserted.clear();
  std::string error;
  const auto strokes = platform::imk::parse_key_script(script, &error);
  if (!strokes) return {"(not a key script: " + error + ")"};
  for (const platform::imk::KeyStroke& key : *strokes) {
    if (!connection.key_down(context, key)) return {"(the connection failed)"};
  }
  return document.inserted;
}

}  // namespace staged_client
