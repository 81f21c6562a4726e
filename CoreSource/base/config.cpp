#include "base/config.h"

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "platform/text.h"

const platform::plist::Dictionary* kIMEConfigureDictionary = nullptr;

namespace {

char string_buffer[2048];

const platform::plist::Value* lookup(const char* key) {
  if (kIMEConfigureDictionary == nullptr || key == nullptr) return nullptr;
  return kIMEConfigureDictionary->find(key);
}

}  // namespace

int ime_config_get_int(const char* key, int fallback) {
  const platform::plist::Value* value = lookup(key);
  if (value == nullptr) return fallback;
  std::optional<std::int64_t> number = value->integer_value();
  if (!number) return fallback;
  if (*number > INT_MAX) return INT_MAX;
  if (*number < INT_MIN) return INT_MIN;
  return static_cast<int>(*number);
}

int ime_config_get_bool(const char* key, int fallback) {
  const platform::plist::Value* value = lookup(key);
  if (value == nullptr) return fallback;
  std::optional<bool> flag = value->bool_value();
  if (!flag) return fallback;
  return *flag ? 1 : 0;
}

const char* ime_config_get_string(const char* key, const char* fallback) {
  const platform::plist::Value* value = lookup(key);
  if (value == nullptr) return fallback;
  std::optional<std::string> text = value->string_value();
  if (!text || text->empty()) return fallback;
  std::string_view kept = platform::text::utf8_prefix(*text, sizeof string_buffer - 1);
  if (kept.empty()) return fallback;
  std::memcpy(string_buffer, kept.data(), kept.size());
  string_buffer[kept.size()] = '\0';
  return string_buffer;
}
