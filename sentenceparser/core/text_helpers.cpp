#include "sentenceparser/core/text_helpers.h"

#include <cstring>

#include "sentenceparser/core/engine_state.h"

namespace sentence {

int MyCorrected = 0;

namespace {

// Width conversions refuse texts of this length or more; clean-ups leave longer texts alone.
constexpr std::size_t kTextLimit = 260;

constexpr unsigned short kIdeographicSpace = 0xA1A1;
constexpr unsigned short kFullDollar = 0xA1E7;
constexpr unsigned short kFullTilde = 0xA1AB;

void remove_bytes(char* text, char unwanted) {
  if (text == nullptr || std::strlen(text) > kTextLimit) return;
  char* kept = text;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != unwanted) *kept++ = *p;
  }
  *kept = '\0';
}

}  // namespace

unsigned short AsciiToGb(unsigned char c) {
  switch (c) {
    case ' ': return kIdeographicSpace;
    case '$': return kFullDollar;
    case '~': return kFullTilde;
    default: break;
  }
  // The full-width block of GBK mirrors printable ASCII at 0xA3A1..0xA3FE; anything else
  // (control bytes, bytes of a multi-byte character) has no form and becomes a blank.
  if (c > 0x20 && c < 0x7F) return static_cast<unsigned short>(0xA380 + c);
  return kIdeographicSpace;
}

unsigned char GbToAscii(unsigned short code) {
  switch (code) {
    case kIdeographicSpace: return ' ';
    case kFullTilde: return '~';
    case kFullDollar: return '$';
    default: break;
  }
  const bool digit = code >= 0xA3B0 && code <= 0xA3B9;
  const bool upper = code >= 0xA3C1 && code <= 0xA3DA;
  const bool lower = code >= 0xA3E1 && code <= 0xA3FA;
  if (digit || upper || lower) return static_cast<unsigned char>((code & 0xFF) - 0x80);
  return 0;
}

int Trans_Xwen_Qjen(const char* text, char* out) {
  if (text == nullptr || out == nullptr) return 0;
  const std::size_t length = std::strlen(text);
  if (length >= kTextLimit) return 0;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned short code = AsciiToGb(static_cast<unsigned char>(text[i]));
    out[2 * i] = static_cast<char>(code >> 8);
    out[2 * i + 1] = static_cast<char>(code & 0xFF);
  }
  out[2 * length] = '\0';
  return 1;
}

int Trans_Qjen_Xwen(const char* text, char* out) {
  if (text == nullptr || out == nullptr) return 0;
  const std::size_t length = std::strlen(text);
  if (length >= kTextLimit) return 0;
  std::size_t written = 0;
  for (std::size_t i = 0; i < length;) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80 || i + 1 >= length) {  // ASCII, or a lone lead byte at the end
      out[written++] = text[i++];
      continue;
    }
    const unsigned short code =
        static_cast<unsigned short>(lead << 8 | static_cast<unsigned char>(text[i + 1]));
    if (const unsigned char ascii = GbToAscii(code); ascii != 0) {
      out[written++] = static_cast<char>(ascii);
    } else {
      out[written++] = text[i];
      out[written++] = text[i + 1];
    }
    i += 2;
  }
  out[written] = '\0';
  return 1;
}

void ClearSpace(char* text) { remove_bytes(text, ' '); }

void ClearChar(char* text, char c) {
  if (c != '\0') remove_bytes(text, c);
}

void ClearXinhao(char* text) {
  if (InputProperty.StripUserMarks == 0 || MyCorrected == 0) return;
  MyCorrected = 0;
  remove_bytes(text, '*');
}

}  // namespace sentence
