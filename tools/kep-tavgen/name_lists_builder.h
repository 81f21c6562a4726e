// The name lists compiled into the service's core, each in GB2312 order, from friso's name
// lexicons and the word sources:
// - surnames: the single-character surnames of lex-lname, commonest first (the lexicon's order);
// - given-name characters: those of one-character given names (lex-sname), then of the second
//   and first places of two-character given names (lex-dname-2, lex-dname-1);
// - Western first, middle and last characters: the characters at those places in transcribed
//   Western names: lex-flname's names, and the words of the word sources of three to six
//   characters made only of transcription characters (those of lex-flname's names and a seed of
//   the characters common in transcriptions), commonest first.
// Every list holds the characters its name tests were tuned with: fixed ones at its two ends
// and a few common members, filled from its sources up to the size those tests expect.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gb2312.h"

namespace tavgen {

// A list's size and its fixed characters (UTF-8): the first and the last ones in GB2312 order,
// so nothing else may sort before the last of `head` or after the first of `tail`, and other
// members anywhere between.
struct NameListShape {
  std::size_t size;
  std::string_view head;
  std::string_view tail;
  std::string_view members;
};

inline constexpr NameListShape kSurnameShape = {268, "阿艾安巴白柏班包", "闵缪栾滕覃瞿", "王李张刘陈杨黄赵周吴"};
inline constexpr NameListShape kGivenNameShape = {386, "安巴白柏保宝本标", "钰铎铮鑫麟", "华明强伟丽军"};
inline constexpr NameListShape kWesternFirstShape = {217, "阿埃艾爱安奥巴白", "卓兹佐珀黛", ""};
inline constexpr NameListShape kWesternMiddleShape = {241, "阿埃艾爱安昂奥巴", "祖佐缪珀滕", ""};
inline constexpr NameListShape kWesternLastShape = {221, "阿埃安昂奥巴白拜", "佐薇娅缪滕", ""};

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

// The shape's fixed characters, then `candidates` in their order (those that would sort among
// the fixed ends left out) up to the shape's size; in GB2312 order. Shorter when the candidates
// run out.
std::vector<GbkChar> shaped_list(const NameListShape& shape, const std::vector<GbkChar>& candidates);

// `words`: the word sources' texts (UTF-8) searched for transcribed names.
NameLists build_name_lists(const NameLexicons& lexicons, const std::vector<std::string>& words);

// Single GB2312 characters of `texts` in first-seen order, without repeats; others skipped.
std::vector<GbkChar> single_characters(const std::vector<std::string>& texts);

// "c1,c2,...": GBK characters joined by ','.
std::string comma_list(const std::vector<GbkChar>& characters);

}  // namespace tavgen
