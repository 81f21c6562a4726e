// The data file (".qdb") of a code table, built in memory from the source's pairs, together with
// the keys its index is to hold. Byte layout: CoreSource/plugfmt.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_source.h"

namespace codetable {

// A key of the index and the data-file offset it stands for.
struct KeyOffset {
  std::string key;
  std::uint32_t offset = 0;
};

struct DataImage {
  std::string bytes;
  // Version 20: one entry per run of equal codes, in file order (a code listed in separate
  // places has several). Version 10: the CHM key list, in offset-table order.
  std::vector<KeyOffset> keys;
};

// Refuses pairs the files or the engine cannot hold: codes of 0 or more than 63 bytes, texts
// longer than a candidate shows, NUL bytes, in version 20 a code with a single quote, and in
// version 10 a code equal to an index key "!!" + first byte. false with the reason, naming
// the source line.
bool CheckPairs(const std::vector<CodePair>& pairs, int version, std::string* error);

// Leaves out the pairs whose text is longer than a candidate shows (IME_PLUG_MAX_TEXT_BYTES),
// numbering the pairs kept afresh from 0 so that record numbers still run from 1 to their
// count. The source lines of the pairs left out, in source order.
std::vector<std::size_t> DropOverlongTexts(std::vector<CodePair>* pairs);

// Version 20: records in source order, end mark 1, the pair count.
bool BuildSqlData(const std::vector<CodePair>& pairs, DataImage* image, std::string* error);

// The order of a version-10 data file: code, then text, then ordinal written in decimal, each
// compared byte by byte.
void SortPairsForCmph(std::vector<CodePair>* pairs);
// Version 10, from pairs in that order: records, end mark 0, one offset per key-list entry
// (each code's run, and after the last run of each first byte "!!" + that byte with the offset
// of its first record), the offset table's position.
bool BuildCmphData(const std::vector<CodePair>& sorted, DataImage* image, std::string* error);

}  // namespace codetable
