// The substitution over ASCII digits and letters that the service's text tables (pydan.tab)
// are stored through. Writer and reader share this one table; other bytes pass unchanged.
#pragma once

#include <cstddef>

namespace sentence {

inline constexpr char kPlainAlphabet[] =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// A permutation of kPlainAlphabet that moves every character.
inline constexpr char kScrambledAlphabet[] =
    "EMXGK2f5l7HcvdsqB1PzVnkDtRpC0ibOLoTu4yW3amSAge8jYN6IxQ9hFwUJZr";

// One byte through the table: plain -> stored (`decode` false) or stored -> plain.
inline char getnewch(char c, bool decode) {
  const char* from = decode ? kScrambledAlphabet : kPlainAlphabet;
  const char* to = decode ? kPlainAlphabet : kScrambledAlphabet;
  for (std::size_t i = 0; from[i] != '\0'; ++i) {
    if (from[i] == c) return to[i];
  }
  return c;
}

// Whole NUL-terminated lines, in place.
inline void decodeline(char* line) {
  for (; *line != '\0'; ++line) *line = getnewch(*line, true);
}
inline void encodeline(char* line) {
  for (; *line != '\0'; ++line) *line = getnewch(*line, false);
}

}  // namespace sentence
