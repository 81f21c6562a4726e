#include "sentenceparser/core/text_clip.h"

#include <cstdlib>
#include <cstring>

#include "sentenceparser/core/char_classes.h"
#include "sentenceparser/core/hanzi_runs.h"
#include "sentenceparser/core/sp_chars.h"

namespace sentence {

HzNcmUnit* HZNCM_Handle = nullptr;
int Current_HzNcm_Item = 0;

namespace {

constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kLineFeed = 10;
// Single-byte code pages store CR and LF with the high bit set as well.
constexpr unsigned char kHighCarriageReturn = 0x8D;
constexpr unsigned char kHighLineFeed = 0x8A;
constexpr char kBreakMarker = 127;

int unit_capacity = 0;
// A unit that could not be stored makes the whole clip fail rather than come out short.
bool unit_lost = false;

inline unsigned char byte_at(const char* text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}
inline bool high(unsigned char b) { return (b & 0x80) != 0; }

// Width of the character at i of a text of `length` bytes.
inline std::size_t width_at(const char* text, std::size_t i, std::size_t length) {
  return high(byte_at(text, i)) && i + 1 < length && high(byte_at(text, i + 1)) ? 2 : 1;
}

bool letter_at(const char* text, std::size_t i, std::size_t length) {
  if (width_at(text, i, length) == 2) return IsQJEN(text + i);
  return IsWestChar(byte_at(text, i));
}

}  // namespace

int IfMore(const char* text, char* out) {
  if (out == nullptr) return 0;
  std::size_t length = 0;
  if (text != nullptr) {
    while (text[length] != '\0') {
      const std::size_t width =
          high(byte_at(text, length)) && high(byte_at(text, length + 1)) ? 2 : 1;
      if (length + width > kClipTextMax) break;
      std::memcpy(out + length, text + length, width);
      length += width;
    }
  }
  out[length] = '\0';
  return static_cast<int>(length);
}

int FiltCheckString(const char* text, char* out, int* positions) {
  if (out == nullptr) return 0;
  out[0] = '\0';
  if (text == nullptr) return 0;
  const std::size_t length = strnlen(text, kClipTextMax);
  std::size_t written = 0;
  int count = 0;
  int source_number = 0;
  bool after_letter = false;
  for (std::size_t i = 0; i < length;) {
    const unsigned char b = byte_at(text, i);
    ++source_number;
    if (b == kCarriageReturn || b == kHighCarriageReturn) {
      bool keep_apart = false;
      if (i > 0 && i + 1 < length && after_letter) {
        const unsigned char next = byte_at(text, i + 1);
        keep_apart = next == kLineFeed || next == kHighLineFeed || letter_at(text, i + 1, length);
      }
      if (keep_apart) {
        out[written++] = kBreakMarker;
        if (positions != nullptr) positions[count] = source_number;
        ++count;
      }
      after_letter = false;
      ++i;
      continue;
    }
    const std::size_t width = width_at(text, i, length);
    after_letter = letter_at(text, i, length);
    std::memcpy(out + written, text + i, width);
    written += width;
    if (positions != nullptr) positions[count] = source_number;
    ++count;
    i += width;
  }
  out[written] = '\0';
  return count;
}

bool MakeHZNCM(const char* text, int type, int part) {
  if (HZNCM_Handle == nullptr || text == nullptr || Current_HzNcm_Item >= unit_capacity) {
    unit_lost = true;
    return false;
  }
  const std::size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) {
    unit_lost = true;
    return false;
  }
  std::memcpy(copy, text, length + 1);
  HzNcmUnit& unit = HZNCM_Handle[Current_HzNcm_Item++];
  unit = HzNcmUnit{};
  unit.type = static_cast<unsigned char>((type & 0x3F) << 2);
  unit.part = static_cast<unsigned char>((part & 3) << 4);
  unit.length = static_cast<unsigned char>(length & 0xFF);
  unit.text = copy;
  return true;
}

void FreeHZNCM() {
  if (HZNCM_Handle != nullptr) {
    for (int i = 0; i < Current_HzNcm_Item; ++i) std::free(HZNCM_Handle[i].text);
    std::free(HZNCM_Handle);
  }
  HZNCM_Handle = nullptr;
  Current_HzNcm_Item = 0;
  unit_capacity = 0;
}

int GetHZNCM(const char* text) {
  static Dbch items[kDbchItemsMax];
  const int count = CharToDbch(text, items);
  if (count == 0) return 0;
  FreeHZNCM();
  // No unit is shorter than one item.
  unit_capacity = count + 2;
  HZNCM_Handle = static_cast<HzNcmUnit*>(
      std::calloc(static_cast<std::size_t>(unit_capacity), sizeof(HzNcmUnit)));
  if (HZNCM_Handle == nullptr) {
    unit_capacity = 0;
    return 0;
  }
  unit_lost = false;
  ResetCi();
  for (int k = 0; k < count;) {
    const int type = TypeOfDbch(items[k]);
    if (type == kClassHanzi) {
      AppendHzchr(items[k++]);
      FixHzchr(0);
      continue;
    }
    FixHzchr(1);
    char unit[kClipTextMax + 1];
    std::size_t length = 0;
    const bool run = IsRunClass(type) || type == kClassBreak;
    do {
      char character[3];
      const int width = DbchText(items[k++], character);
      if (length + static_cast<std::size_t>(width) > kClipTextMax) break;
      std::memcpy(unit + length, character, static_cast<std::size_t>(width));
      length += static_cast<std::size_t>(width);
    } while (run && k < count && TypeOfDbch(items[k]) == type);
    unit[length] = '\0';
    MakeHZNCM(unit, type, 0);
  }
  FixHzchr(1);
  if (unit_lost) {
    FreeHZNCM();
    return 0;
  }
  return count;
}

int TakeOut(char* out, std::size_t out_size) {
  if (out == nullptr || out_size == 0) return -1;
  std::size_t written = 0;
  for (int i = 0; i < Current_HzNcm_Item; ++i) {
    const char* text = HZNCM_Handle[i].text;
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length == 0) continue;
    const std::size_t separator = i > 0 ? 1 : 0;
    if (written + separator + length + 1 > out_size) {
      out[0] = '\0';
      return -1;
    }
    if (separator != 0) out[written++] = '_';
    std::memcpy(out + written, text, length);
    written += length;
  }
  out[written] = '\0';
  return static_cast<int>(written);
}

int HzClip(const char* text, char* out, std::size_t out_size) {
  if (text == nullptr || out == nullptr || out_size == 0) return 0;
  const std::size_t length = strnlen(text, 4);
  if (length < 2 || (high(byte_at(text, 0)) && length < 4)) return 0;
  char clipped[kClipTextMax + 1];
  IfMore(text, clipped);
  char filtered[kClipTextMax + 1];
  int positions[kClipTextMax];
  FiltCheckString(clipped, filtered, positions);
  if (GetHZNCM(filtered) == 0) return 0;
  char joined[kHzClipOutputSize];
  const int written = TakeOut(joined, sizeof joined);
  FreeHZNCM();
  if (written < 0 || static_cast<std::size_t>(written) + 1 > out_size) return 0;
  std::memcpy(out, joined, static_cast<std::size_t>(written) + 1);
  return 1;
}

int HzClip(const char* text, char* out) { return HzClip(text, out, kHzClipOutputSize); }

}  // namespace sentence
