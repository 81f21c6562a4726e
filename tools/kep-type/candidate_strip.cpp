#include "candidate_strip.h"

#include "platform/plist.h"

namespace kep_type {
namespace {

enum MessageId : std::int32_t {
  kActivated = 100,
  kDeactivated = 101,
  kHideCandidateWindow = 104,
  kTextInput = 106,
  kNotice = 107,
  kUpdateStatus = 113,
};

std::optional<platform::plist::Dictionary> dictionary_of(std::string_view payload) {
  std::optional<platform::plist::Value> value = platform::plist::parse(payload);
  if (!value || !value->as_dictionary()) return std::nullopt;
  return *value->as_dictionary();
}

int integer_of(const platform::plist::Dictionary& dictionary, std::string_view key) {
  const platform::plist::Value* value = dictionary.find(key);
  if (value == nullptr) return 0;
  return static_cast<int>(value->integer_value().value_or(0));
}

void read_flag(const platform::plist::Dictionary& status, std::string_view key, bool& flag) {
  if (const platform::plist::Value* value = status.find(key)) {
    if (std::optional<bool> on = value->bool_value()) flag = *on;
  }
}

}  // namespace

std::vector<std::string> split_candidates(std::string_view joined) {
  std::vector<std::string> texts;
  if (!joined.empty() && joined.front() == '?') joined.remove_prefix(1);
  std::size_t start = 0;
  while (start <= joined.size()) {
    const std::size_t end = joined.find('\x01', start);
    const std::string_view piece =
        joined.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!piece.empty()) texts.emplace_back(piece);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return texts;
}

void CandidateStrip::apply(std::int32_t id, std::string_view payload) {
  switch (id) {
    case kActivated:
      apply_status(payload);
      break;
    case kDeactivated:
    case kHideCandidateWindow:
      visible_ = false;
      candidates_.clear();
      break;
    case kTextInput:
      apply_candidates(payload);
      break;
    case kNotice:
      notice_ = std::string(payload);
      break;
    case kUpdateStatus:
      apply_status(payload);
      break;
    default:
      break;
  }
}

void CandidateStrip::apply_candidates(std::string_view payload) {
  std::optional<platform::plist::Dictionary> message = dictionary_of(payload);
  if (!message) return;
  const platform::plist::Value* joined = message->find("CANDIDATES");
  if (joined == nullptr || joined->as_string() == nullptr) return;  // the window ignores it too
  candidates_ = split_candidates(*joined->as_string());
  page_ = integer_of(*message, "PAGE");
  total_pages_ = integer_of(*message, "TOTAL_PAGE");
  composition_.clear();
  for (const char* key : {"SP", "PY"}) {
    const platform::plist::Value* text = message->find(key);
    if (text != nullptr && text->as_string() != nullptr) {
      composition_ = *text->as_string();
      break;
    }
  }
  visible_ = true;
}

void CandidateStrip::apply_status(std::string_view payload) {
  std::optional<platform::plist::Dictionary> message = dictionary_of(payload);
  if (!message) return;
  const platform::plist::Value* status = message->find("STATUS");
  if (status == nullptr || status->as_dictionary() == nullptr) return;
  const platform::plist::Dictionary& flags = *status->as_dictionary();
  read_flag(flags, "ENGLISH", modes_.english);
  read_flag(flags, "FULL_WIDTH_PUNCT", modes_.full_width_punct);
  read_flag(flags, "FULL_WIDTH_ROMAN", modes_.full_width_roman);
  read_flag(flags, "TRADITIONAL", modes_.traditional);
  read_flag(flags, "PINYIN", modes_.pinyin);
  modes_.known = true;
}

}  // namespace kep_type
