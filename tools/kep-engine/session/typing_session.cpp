#include "typing_session.h"

#include <sys/time.h>

#include <cstring>

#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/match/imeconvs_plug.h"
#include "CoreSource/match/imeconvs_sp.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/split/imesp.h"
#include "CoreSource/text/candidate_text.h"
#include "CoreSource/text/punct.h"

namespace kep_session {
namespace {

constexpr std::uint32_t kStringModes = IME_MODE_I | IME_MODE_D | IME_MODE_U | IME_MODE_V;
// The server's marker of a composition begun by a capital letter: raw keys from the start.
constexpr std::uint16_t kRawFromStart = 999;

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }
bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

long long microseconds(const timeval& t) {
  return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec;
}

// After a digit these stay half-width, so that 3.14, 50% and 10:30 come out as typed.
bool stays_after_digit(char key) { return std::strchr("\"%&'*+-.:=", key) != nullptr; }

// Punctuation typed while composing first commits the composition: every printable key but
// letters, digits and the keys that belong to the typed text.
bool confirms_composition(char key) {
  return !is_lower(key) && !is_upper(key) && !is_digit(key) && key != ' ' && key != '\'' &&
         key != '@';
}

// In double pinyin a key the scheme types at this position (an initial key after an even number
// of keys, a final key after an odd one) belongs to the composition, ";" included.
bool is_scheme_key_here(char key, int typed) {
  const auto index = static_cast<unsigned char>(key);
  if (index >= IME_SP_KEYS) return false;
  const ime_sp_parts_t& parts =
      typed % 2 == 0 ? ime_schema.initials[index] : ime_schema.finals[index];
  return parts.length[0] != 0;
}

// In a code table the table's wildcard key is a code key even as the first key; otherwise a
// code could never begin with it.
bool starts_code(char key) {
  return ime_mode == 2 && ime_plug_obj != nullptr && ime_plug_any_char != '\0' &&
         key == ime_plug_any_char;
}

// The matcher of the scheme in force. A code the table does not know is typed again as pinyin,
// and once it has been, the selection keys belong to the pinyin matcher.
int match_in_scheme(ime_conversation_t* c, int key) {
  if (ime_mode == 1) return ime_convs_match_sp(c, key);
  if (ime_mode != 2) return ime_convs_match(c, key);
  if (ime_plug_mode == 1 && ((key >= '0' && key <= '9') || key == IME_KEY_SPACE)) {
    return ime_convs_match(c, key);
  }
  c->mode &= ~IME_MODE_SENTENCE;
  const int result = ime_convs_match_plug(c, key);
  if (result == IME_MATCH_RETRY && ime_plug_mode == 1 && c->inbuf[0] != 'i' &&
      c->inbuf[0] != 'u') {
    return ime_convs_match(c, IME_KEY_RETRY);
  }
  return result;
}

std::string field_text(const std::uint8_t* field) {
  return std::string(reinterpret_cast<const char*>(field),
                     strnlen(reinterpret_cast<const char*>(field), IME_TEXT_BYTES));
}

}  // namespace

std::optional<TypingSession> TypingSession::open(bool traditional) {
  ime_conversation_t* conversation = nullptr;
  if (ime_new_conversation(&conversation) != 0) return std::nullopt;
  ime_convs_reset(conversation);
  if (traditional) conversation->mode |= IME_MODE_TRADITIONAL;
  conversation->full_width_punct = 1;  // Chinese punctuation, as the input method starts
  return TypingSession(conversation);
}

TypingSession::TypingSession(TypingSession&& other) noexcept : conversation_(other.conversation_) {
  other.conversation_ = nullptr;
}

TypingSession::~TypingSession() { ime_free_conversation(&conversation_); }

void TypingSession::cancel() { ime_convs_reset(conversation_); }

std::string TypingSession::symbol_for(char key, bool after_composition) const {
  if (!after_composition && is_digit(static_cast<char>(conversation_->curkey)) &&
      stays_after_digit(key)) {
    return std::string(1, key);
  }
  std::optional<std::string> symbol = ime_symbol_string(conversation_, key);
  return symbol ? *symbol : std::string(1, key);
}

int TypingSession::engine_key(const Key& key) const {
  switch (key.kind) {
    case KeyKind::Character:
      if (key.character == '0' && conversation_->inoff > 0 && ime_mode != 1 &&
          (conversation_->mode & (kStringModes | IME_MODE_ACCESSORY)) == 0) {
        return IME_KEY_ZERO;
      }
      return static_cast<unsigned char>(key.character);
    case KeyKind::Space: return IME_KEY_SPACE;
    case KeyKind::Backspace: return IME_KEY_BACKSPACE;
    case KeyKind::Delete: return IME_KEY_DELETE;
    case KeyKind::Return: return IME_KEY_RETURN;
    case KeyKind::Left: return IME_KEY_LEFT;
    case KeyKind::Right: return IME_KEY_RIGHT;
    case KeyKind::PageUp: return IME_KEY_PAGE_UP;
    case KeyKind::PageDown: return IME_KEY_PAGE_DOWN;
    case KeyKind::Tab: return IME_KEY_TAB;
    case KeyKind::Tone: return IME_KEY_TONE_BASE + key.character;
    case KeyKind::Escape: break;
  }
  return IME_MATCH_NOT_MINE;
}

// Feeds one engine key, telling the engine how long after the previous key it came.
int TypingSession::match(int key, char character) {
  timeval now{};
  gettimeofday(&now, nullptr);
  const long long previous = microseconds(conversation_->keytime);
  // A first key has no previous one: as long ago as the clock goes, like the server's reckoning.
  ime_duration = microseconds(now) - previous;
  conversation_->curkey = static_cast<std::uint32_t>(key);
  conversation_->lastkey = static_cast<std::uint32_t>(static_cast<unsigned char>(character));
  conversation_->keytime = now;
  return match_in_scheme(conversation_, key);
}

KeyOutcome TypingSession::type(const Key& key) {
  KeyOutcome outcome;
  ime_conversation_t* c = conversation_;
  if (key.kind == KeyKind::Escape) {
    cancel();
    describe(&outcome);
    return outcome;
  }
  const bool composing = c->inoff > 0;
  const char character = key.kind == KeyKind::Character ? key.character : '\0';
  if (!composing) {
    if (key.kind != KeyKind::Character) {
      outcome.passed = key_name(key);
      describe(&outcome);
      return outcome;
    }
    if (is_upper(character)) {
      c->mode |= IME_MODE_D;
      c->dpos = kRawFromStart;
    } else if (!is_lower(character) && !starts_code(character)) {
      outcome.commits.push_back(symbol_for(character, false));
      c->curkey = c->lastkey = static_cast<unsigned char>(character);
      gettimeofday(&c->keytime, nullptr);
      describe(&outcome);
      return outcome;
    }
  }

  std::optional<char> held;
  int code = engine_key(key);
  // A code table takes punctuation as code keys; a double-pinyin scheme its own keys.
  const bool scheme_key = ime_mode == 2 || (ime_mode == 1 && is_scheme_key_here(character, c->inoff));
  if (composing && key.kind == KeyKind::Character && confirms_composition(character) &&
      !scheme_key && (c->mode & kStringModes) == 0) {
    held = character;
    code = c->ncand > 0 ? int{'1'} : int{IME_KEY_SPACE};
  }
  const int result = match(code, character);
  if (result == IME_MATCH_NOT_MINE) {
    outcome.passed = key_name(key);
  } else {
    if (result == IME_MATCH_COMMITTED) {
      int caret = 0;
      std::optional<std::string> text = ime_marked_buffer2(c, &caret);
      if (!text) text = std::string(reinterpret_cast<const char*>(c->outbuf), c->outlen);
      if (!text->empty()) outcome.commits.push_back(*text);
    }
    if (held) outcome.commits.push_back(symbol_for(*held, true));
    if (result == IME_MATCH_COMMITTED || c->inoff == 0) ime_convs_reset(c);
  }
  describe(&outcome);
  return outcome;
}

void TypingSession::describe(KeyOutcome* outcome) const {
  const ime_conversation_t* c = conversation_;
  int caret = 0;
  if (c->inoff > 0) {
    if (std::optional<std::string> marked = ime_marked_buffer2(c, &caret)) {
      outcome->marked = *marked;
      outcome->caret = caret;
    }
  }
  const bool traditional = ime_valid != 0 && (c->mode & IME_MODE_TRADITIONAL) != 0;
  for (int i = 0; i < c->ncand && i < ime_current_page_size(); ++i) {
    outcome->candidates.push_back(field_text(traditional ? c->cands[i].thz : c->cands[i].hz));
  }
  if (!outcome->candidates.empty()) {
    outcome->page = c->page + 1;
    outcome->pages = ime_page_count(
        ime_qrdb_count(const_cast<ime_conversation_t*>(c), IME_LIST_CANDIDATES), ime_page_size);
  }
}

}  // namespace kep_session
