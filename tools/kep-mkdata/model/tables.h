// The contents of every generated table, made from the merged characters and the word source.
#pragma once

#include <string>
#include <vector>

#include "CoreSource/tables/hzinfo.h"
#include "tools/datasources/model/characters.h"
#include "writers/pinyin_table_writer.h"
#include "writers/text_tables.h"

namespace mkdata {

struct TableContents {
  std::vector<PinyinRecord> pinyin;     // pinyin.db, in table order
  std::vector<PinyinRecord> extension;  // pinyin2.db
  std::vector<QAHzInfoEntry> hanzi;     // hzdb.db
  AccessoryCodes accessory;             // fzm.db
  std::vector<WordListEntry> words;     // the system dictionary
};

// The class digit of a record: "0" for a character that is neither in GB2312 nor used under
// the syllable in the word source (offered only when all characters are asked for), else
// 1 to 9 rising with the order of magnitude of its weight.
char class_digit(bool gb2312, std::uint32_t weight);

// Single characters: every GBK character with a syllable, one record per syllable, the groups
// in the order the readers need and each group by falling weight; hanzi indexes in table
// order. The extension table holds the further traditional forms of a character that are
// read with the same syllable.
void build_character_tables(const datasources::CharTable& characters, TableContents* tables);

// The system dictionary's words: the word source's words of two characters and more, and the
// merged phrases (model/vocabulary.h), whose syllables all have final codes and whose text is
// GBK, with their traditional forms and the tones their characters are read with.
void build_words(const datasources::Sources& sources, const datasources::CharTable& characters,
                 TableContents* tables, const std::vector<datasources::RimeEntry>& merged = {});

}  // namespace mkdata
