// The splitter's result: context tokens (one per syllable) and the context object that holds
// the split, the split the suggestion table proposes, and the syllables joined as one mark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Token types.
inline constexpr std::uint8_t QA_TOKEN_PINYIN = 1;
// Tone of a token the user gave none.
inline constexpr char QA_TOKEN_NO_TONE = '-';

struct QAContextToken {
  std::string text;  // the syllable in normalized spelling (may end in a correction marker)
  std::string raw;   // the letters as typed
  char tone = QA_TOKEN_NO_TONE;  // '-' or a tone digit
  std::uint8_t type = 0;         // QA_TOKEN_PINYIN for a syllable
  std::uint8_t fixed = 0;        // 1 when an apostrophe closed the syllable
};

struct QAContextObject {
  std::vector<QAContextToken> tokens;     // the split
  std::vector<QAContextToken> suggested;  // the suggestion table's split; empty when none
  std::string mark;                       // the tokens' texts joined with "'"
};

// A token with tone '-', type 0, not fixed. Released with QAContextTokenRelease.
QAContextToken* QAContextTokenCreate(const std::string& text, const std::string& raw);
void QAContextTokenRelease(QAContextToken* token);
// "Token \"text,raw\" type=1 tone=- Fixed at 0x..." ("Empty token." for none), for logs.
std::string QAContextTokenDesc(const QAContextToken* token);

QAContextObject* QAContextObjectCreate();
void QAContextObjectRelease(QAContextObject* object);
// Empty when `object` is NULL.
const std::vector<QAContextToken>& QAContextObjectTokens(const QAContextObject* object);
const std::string& QAContextObjectMark(const QAContextObject* object);

// Appends a pinyin token of the first `n` bytes of `text` and `raw` to `tokens` and extends
// `mark` (when given) by "'" and the text.
void QAAddPYToken(const char* text, const char* raw, std::size_t n, char tone, std::uint8_t fixed,
                  std::vector<QAContextToken>* tokens, std::string* mark);
