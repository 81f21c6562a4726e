// The name lists compiled into the service's core, from friso's name lexicons:
// - surnames: the single-character surnames of lex-lname, commonest first (the lexicon's order);
// - given-name characters: those of one-character given names (lex-sname) and of either place
//   in two-character given names (lex-dname-1, lex-dname-2);
// - Western first, middle and last characters: the characters at those places in transcribed
//   Western names: lex-flname's names, and the words of the word sources of three to six
//   characters made only of transcription characters (those of lex-flname's names and a seed of
//   the characters common in transcriptions), commonest first.
// Each list is capped at the size the name tests were tuned for.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "gb2312.h"

namespace tavgen {

inline constexpr std::size_t kSurnameCount = 268;
inline constexpr std::size_t kGivenNameCharacterCount = 386;
inline constexpr std::size_t kWesternFirstCount = 217;
inline constexpr std::size_t kWesternMiddleCount = 241;
inline constexpr std::size_t kWesternLastCount = 221;

struct NameLexicons {
  std::vector<std::string> surnames;       // lex-lname
  std::vector<std::string> single_given;   // lex-sname
  std::vector<std::string> double_first;   // lex-dname-1
  std::vector<std::string> double_second;  // lex-dname-2
  std::vector<std::string> western;        // lex-flname
};

struct NameLists {
  std::vector<GbkChar> surnames;
  std::vector<GbkChar> given;
  std::vector<GbkChar> western_first;
  std::vector<GbkChar> western_middle;
  std::vector<GbkChar> western_last;
  std::size_t western_names = 0;  // names the Western lists were counted from
};

// `words`: the word sources' texts (UTF-8) searched for transcribed names.
NameLists build_name_lists(const NameLexicons& lexicons, const std::vector<std::string>& words);

// Single GB2312 characters of `texts` in first-seen order, without repeats; others skipped.
std::vector<GbkChar> single_characters(const std::vector<std::string>& texts);

// "c1,c2,...": GBK characters joined by ','.
std::string comma_list(const std::vector<GbkChar>& characters);

}  // namespace tavgen
