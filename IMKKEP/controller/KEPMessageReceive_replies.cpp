// What the candidate window sends back: status-bar clicks (113), a chosen V-mode entry (115)
// and V-mode text typed in the window (256). Each acts only on the live active controller, and
// every length it carries is checked against the conversation's buffers before use.
#include <cstring>
#include <string>
#include <string_view>

#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/text/candidate_text.h"
#include "CoreSource/text/mode_strings.h"
#include "IMKKEP/controller/KEPActiveInputArea.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/controller/KEPHandleInput.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/companions/KEPStatus.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"
#include "IMKKEP/companions/window_messages.h"

namespace imkkep {
namespace {

constexpr std::int32_t kVModeTextMessage = 256;
constexpr int kAllLists = 255;
constexpr int kReuseStoredPosition = 9;
// "v" or "V" and the keys must fit the typed keys and the output, with room for a terminator.
constexpr std::size_t kLongestVModeKeys = IME_MAX_KEYS - 1;
// Message 256: a decimal length in the first 9 bytes, "%V%", then the text.
constexpr std::size_t kLengthDigits = 9;
constexpr std::string_view kVModeMark = "%V%";
constexpr std::size_t kVModeTextOffset = kLengthDigits + 3;

std::optional<platform::plist::Dictionary> dictionary_of(std::int32_t id, std::string_view data) {
  std::optional<platform::plist::Value> value = platform::plist::parse(data);
  if (!value || !value->is_dictionary()) {
    KEPLog("Build property list from data failed! MessageID=%d, [%s]", id, "No Error Message");
    return std::nullopt;
  }
  return *value->as_dictionary();
}

bool flag(const platform::plist::Value& value) { return value.bool_value().value_or(false); }

// The window's status bar was clicked: the modes follow it without echoing a 113 back.
void apply_status(const platform::plist::Dictionary& message) {
  const platform::plist::Value* status_value = message.find("STATUS");
  const platform::plist::Dictionary* status =
      status_value != nullptr ? status_value->as_dictionary() : nullptr;
  if (status == nullptr) return;
  ime_conversation_t* c = gActiveSession->conversation();
  kUpdateFlag = 0;
  if (const platform::plist::Value* v = status->find(kStatusFullWidthPunct)) {
    KEPSetFullPunctMode(c, flag(*v) ? 1 : 0);
  }
  if (const platform::plist::Value* v = status->find(kStatusEnglish)) {
    KEPSetEnglishMode(c, flag(*v) ? 1 : 0);
  }
  if (const platform::plist::Value* v = status->find(kStatusTraditional)) {
    if (flag(*v)) {
      c->mode |= IME_MODE_TRADITIONAL;
    } else {
      c->mode &= ~static_cast<std::uint32_t>(IME_MODE_TRADITIONAL);
    }
    KEPSetMenuItemOn(kMenuTradOutput, flag(*v));
  }
  if (const platform::plist::Value* v = status->find(kStatusFullWidthRoman)) {
    KEPSetFullCharMode(c, flag(*v) ? 1 : 0);
  }
  if (const platform::plist::Value* v = status->find(kStatusPinyin)) {
    ime_mode = flag(*v) ? 0 : 1;
    KEPSetPinyinMode(gActiveSession);
  }
  kUpdateFlag = 1;
}

void set_typed_keys(ime_conversation_t* c, std::string_view keys) {
  std::memcpy(c->inbuf, keys.data(), keys.size());
  std::memcpy(c->outbuf, keys.data(), keys.size());
  const auto length = static_cast<std::uint16_t>(keys.size());
  c->inoff = length;
  c->outlen = length;
  c->curpos = length;
}

const std::string_view bytes_of(const platform::plist::Data& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// A V-mode entry was chosen in the window's list: its texts become the candidates.
void apply_vmode_choice(const platform::plist::Dictionary& message) {
  const platform::plist::Value* value = message.find("VALUE");
  const platform::plist::Array* texts = value != nullptr ? value->as_array() : nullptr;
  if (texts == nullptr) return;
  ime_conversation_t* c = gActiveSession->conversation();
  if ((c->mode & IME_MODE_V) == 0) return;
  const platform::plist::Value* key_value = message.find("KEY");
  const platform::plist::Data* key = key_value != nullptr ? key_value->as_data() : nullptr;
  if (key != nullptr && key->size() + 1 > kLongestVModeKeys) {
    KEPLog("The V-mode key of %zu bytes is refused.", key->size());
    return;
  }
  if (c->curpos != 0) {
    const std::string typed(c->inbuf, c->curpos);
    if (ime_build_abbr_str(c, typed.c_str()) != 0) {
      c->ncand = 0;
      c->pynum = 0;
      c->pyoff = 1;
      ime_qrdb_reset(c, kAllLists);
    } else if (c->ncand < IME_MAX_PAGE_CANDIDATES) {
      ++c->ncand;
    }
  }
  c->mode &= ~static_cast<std::uint32_t>(IME_MODE_SENTENCE);
  if (key != nullptr) set_typed_keys(c, "v" + std::string(bytes_of(*key)));
  int added = 0;
  for (const platform::plist::Value& item : *texts) {
    const platform::plist::Data* text = item.as_data();
    // A text the result record cannot hold with its terminator is left out.
    if (text == nullptr || text->empty() || text->size() >= IME_TEXT_BYTES) continue;
    ime_query_result_t result{};
    result.type = IME_RESULT_VMODE;
    result.dbid = IME_DBID_VMODE;
    std::memcpy(result.hz, text->data(), text->size());
    std::memcpy(result.thz, text->data(), text->size());
    result.hlen = static_cast<std::uint8_t>(text->size());
    result.thlen = result.hlen;
    if (ime_qrdb_add_result(c, IME_LIST_PHRASES, &result) > 0) ++added;
  }
  if (added == 0) return;
  ime_convs_build_result(c, IME_BUILD_LIST);
  ime_convs_page(c, c->page);
  KEPSendInputText(gActiveSession, ime_candidate_buffer(c), kReuseStoredPosition);
  KEPHideVModeWindow(gActiveSession);
  KEPUpdateActiveInputArea(gActiveSession, kShowMarkedText);
}

// The declared length, when the 9 length bytes are decimal digits (leading blanks allowed).
std::optional<std::size_t> declared_length(std::string_view digits) {
  std::size_t length = 0;
  bool seen_digit = false;
  for (char ch : digits) {
    if (ch == ' ' && !seen_digit) continue;
    if (ch == '\0' && seen_digit) break;
    if (ch < '0' || ch > '9') return std::nullopt;
    seen_digit = true;
    length = length * 10 + static_cast<std::size_t>(ch - '0');
  }
  if (!seen_digit) return std::nullopt;
  return length;
}

// V-mode text typed in the window: it becomes the typed keys, its last character a key.
void apply_vmode_text(std::string_view data) {
  ime_conversation_t* c = gActiveSession->conversation();
  if (data.empty() || (c->mode & IME_MODE_V) == 0) return;
  if (data.size() < kVModeTextOffset ||
      data.substr(kLengthDigits, kVModeMark.size()) != kVModeMark) {
    return;
  }
  const std::string_view text = data.substr(kVModeTextOffset);
  const std::optional<std::size_t> n = declared_length(data.substr(0, kLengthDigits));
  // The length counts four bytes besides the text; the text must hold the last character.
  if (!n || *n < 4 || *n - 3 > text.size() || *n - 3 > kLongestVModeKeys) {
    KEPLog("The V-mode text of declared length %s is refused.",
           std::string(data.substr(0, kLengthDigits)).c_str());
    return;
  }
  const std::size_t kept = *n - 4;
  set_typed_keys(c, std::string(1, ime_mode == 0 ? 'v' : 'V') + std::string(text.substr(0, kept)));
  KEPHandleInput(gActiveSession, static_cast<unsigned char>(text[kept]), 0, 0);
}

}  // namespace

void KEPHandleWindowMessage(std::int32_t id, std::string_view data) {
  if (id != kKEPSUpdateStatus && id != kKEPSVModeMatched && id != kVModeTextMessage) return;
  // A window message that arrives after its controller has gone has nobody to act on.
  if (gActiveSession == nullptr || gActiveSession->conversation() == nullptr) return;
  if (id == kVModeTextMessage) {
    apply_vmode_text(data);
    return;
  }
  std::optional<platform::plist::Dictionary> message = dictionary_of(id, data);
  if (!message) return;
  if (id == kKEPSUpdateStatus) {
    apply_status(*message);
  } else {
    apply_vmode_choice(*message);
  }
}

}  // namespace imkkep
