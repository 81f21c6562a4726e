// One input context typed into by a driver: keys become engine key codes the way the server maps
// them, punctuation typed while composing commits the first candidate before it, and every
// commit resets the conversation for the next composition.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CoreSource/record/conversation.h"
#include "key_script.h"

namespace kep_session {

// What one key did.
struct KeyOutcome {
  std::vector<std::string> commits;  // texts that reached the application, in order
  std::optional<std::string> passed;  // a key the engine left to the application
  std::string marked;                 // the marked text after the key ("" when none)
  int caret = 0;                      // caret in the marked text, UTF-16 units
  std::vector<std::string> candidates;  // the page shown
  int page = 0;                         // page number from 1; 0 when no page is shown
  int pages = 0;
};

class TypingSession {
 public:
  // A conversation of the started engine (engine_host.h); `traditional` turns on traditional
  // output. nullopt when memory is short.
  static std::optional<TypingSession> open(bool traditional);
  TypingSession(TypingSession&& other) noexcept;
  TypingSession& operator=(TypingSession&&) = delete;
  TypingSession(const TypingSession&) = delete;
  ~TypingSession();

  KeyOutcome type(const Key& key);
  // Drops the composition (Escape).
  void cancel();
  const ime_conversation_t* conversation() const { return conversation_; }

 private:
  explicit TypingSession(ime_conversation_t* conversation) : conversation_(conversation) {}

  // Punctuation as the application receives it: the mapped form, or the key itself. Typed on
  // its own right after a digit, the keys of numbers stay as typed; `after_composition` (the
  // key that committed a composition) is always mapped.
  std::string symbol_for(char key, bool after_composition) const;
  int engine_key(const Key& key) const;
  int match(int key, char character);
  void describe(KeyOutcome* outcome) const;

  ime_conversation_t* conversation_ = nullptr;
};

}  // namespace kep_session
