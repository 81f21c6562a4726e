#include "sentenceparser/core/sp_chars.h"

#include <cstring>

namespace sentence {

namespace {

inline unsigned char byte_at(const char* text, int i) { return static_cast<unsigned char>(text[i]); }

constexpr unsigned char kCircleLead = 0xA1;
constexpr unsigned char kCircleTrail = 0xF0;

}  // namespace

bool IsCharLower(int c) { return c >= 'a' && c <= 'z'; }
bool IsCharUpper(int c) { return c >= 'A' && c <= 'Z'; }
bool IsWestChar(int c) { return IsCharLower(c) || IsCharUpper(c); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

bool IsBJEN(const char* text) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  return text != nullptr && text[0] != '\0' && std::strstr(kLetters, text) != nullptr;
}

bool IsQJEN(const char* text) {
  if (text == nullptr || byte_at(text, 0) != 0xA3) return false;
  const unsigned char trail = byte_at(text, 1);
  return (trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA);
}

bool IsGb(const char* text) {
  if (text == nullptr) return false;
  const unsigned char lead = byte_at(text, 0);
  if (lead < 0xA1 || lead > 0xF7) return false;
  const unsigned char trail = byte_at(text, 1);
  return trail >= 0xA1 && trail <= 0xFE;  // 0xFF is no GB2312 cell
}

int ComputeGbNo(const char* text) {
  if (!IsGb(text)) return -1;
  const unsigned char lead = byte_at(text, 0);
  const unsigned char trail = byte_at(text, 1);
  // D7FA-D7FE are empty; counting them would give a character's number twice.
  if (lead == 0xD7 && trail > 0xF9) return -1;
  const int v = lead * 94 + trail;
  const int number = v < 20461 ? v - 16705 : v - 16710;
  return number >= 0 && number < 6763 ? number : -1;
}

bool CharIsHz(const char* text) { return ComputeGbNo(text) != -1; }

int StringIsChinese(const char* text, int strict) {
  if (text == nullptr || text[0] == '\0') return 0;
  for (const char* unit = text; unit[0] != '\0'; unit += 2) {
    if (unit[1] == '\0') return 0;  // half a character at the end
    const bool circle = byte_at(unit, 0) == kCircleLead && byte_at(unit, 1) == kCircleTrail;
    if (circle && strict == 0) continue;
    if (!CharIsHz(unit)) return 0;
  }
  return 1;
}

}  // namespace sentence
