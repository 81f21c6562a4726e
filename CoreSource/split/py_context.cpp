#include "split/py_context.h"

#include <cstdio>

QAContextToken* QAContextTokenCreate(const std::string& text, const std::string& raw) {
  QAContextToken* token = new QAContextToken;
  token->text = text;
  token->raw = raw;
  return token;
}

void QAContextTokenRelease(QAContextToken* token) { delete token; }

std::string QAContextTokenDesc(const QAContextToken* token) {
  if (token == nullptr) return "Empty token.";
  char address[32];
  std::snprintf(address, sizeof address, "0x%zx", reinterpret_cast<std::size_t>(token));
  return "Token \"" + token->text + "," + token->raw + "\" type=" + std::to_string(token->type) +
         " tone=" + std::string(1, token->tone) + (token->fixed ? " Fixed" : " Not fixed") + " at " +
         address;
}

QAContextObject* QAContextObjectCreate() { return new QAContextObject; }

void QAContextObjectRelease(QAContextObject* object) { delete object; }

const std::vector<QAContextToken>& QAContextObjectTokens(const QAContextObject* object) {
  static const std::vector<QAContextToken> none;
  return object != nullptr ? object->tokens : none;
}

const std::string& QAContextObjectMark(const QAContextObject* object) {
  static const std::string none;
  return object != nullptr ? object->mark : none;
}

void QAAddPYToken(const char* text, const char* raw, std::size_t n, char tone, std::uint8_t fixed,
                  std::vector<QAContextToken>* tokens, std::string* mark) {
  QAContextToken token;
  token.text.assign(text, n);
  token.raw.assign(raw, n);
  token.tone = tone;
  token.type = QA_TOKEN_PINYIN;
  token.fixed = fixed;
  if (mark != nullptr) {
    if (!mark->empty()) mark->push_back('\'');
    mark->append(token.text);
  }
  tokens->push_back(std::move(token));
}
