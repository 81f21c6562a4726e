#include "candidatewindow/protocol/payload_values.h"

namespace kepcandidate {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<platform::plist::Dictionary> parsePayload(std::string_view payload) {
  std::optional<platform::plist::Value> value = platform::plist::parse(payload);
  if (!value || !value->is_dictionary()) return std::nullopt;
  return *value->as_dictionary();
}

std::optional<std::int32_t> readInt32(const platform::plist::Dictionary& dictionary,
                                      std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  if (value == nullptr) return std::nullopt;
  std::optional<std::int64_t> number = value->integer_value();
  if (!number) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(*number));
}

std::optional<bool> readBool(const platform::plist::Dictionary& dictionary, std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  return value != nullptr ? value->bool_value() : std::nullopt;
}

std::optional<std::string> readString(const platform::plist::Dictionary& dictionary,
                                      std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  if (value == nullptr || value->as_string() == nullptr) return std::nullopt;
  return *value->as_string();
}

std::optional<RgbColour> KEPSGetRGBColor(std::string_view text) {
  if (text.size() < 6) return std::nullopt;
  int components[3];
  for (int i = 0; i < 3; ++i) {
    const int high = hex_digit(text[static_cast<std::size_t>(2 * i)]);
    const int low = hex_digit(text[static_cast<std::size_t>(2 * i + 1)]);
    if (high < 0 || low < 0) return std::nullopt;
    components[i] = high * 16 + low;
  }
  return RgbColour{components[0] / 255.0, components[1] / 255.0, components[2] / 255.0};
}

}  // namespace kepcandidate
