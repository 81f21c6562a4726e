// Building the converter's tables from dictionary entries.
//
// The character table maps each simplified character to its first traditional form. A phrase
// whose characters, converted one by one, do not give its traditional form becomes a context
// fix in the form the fix pass sees it: the section is the first character of the converted
// phrase that is wrong, the window is the whole converted phrase (the characters before it as
// before bytes, the rest as after bytes) and the replacement is the phrase's traditional form.
//
// The first fix table holds those fixes. The second fix table, run on the first one's output,
// holds fixes for phrases that come out of the first table wrong anyway (an overlapping fix of
// another phrase won, or changed a phrase that the character table alone got right).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "converter/gb_codec.h"
#include "converter/tables.h"
#include "converter/tablegen/opencc_text.h"

namespace converter::tablegen {

struct BuildStatistics {
  std::size_t characters = 0;           // entries of the character table
  std::size_t characters_skipped = 0;   // not one character, unchanged, or not in GB18030
  std::size_t phrases = 0;              // phrases looked at
  std::size_t phrases_right = 0;        // right after the character table alone
  std::size_t phrases_skipped = 0;      // not in GB18030, context too long, or contradicting
  std::size_t first_fixes = 0;
  std::size_t second_fixes = 0;
  std::size_t still_wrong = 0;          // phrases that all three passes still get wrong
};

CharTable build_char_table(const std::vector<DictionaryEntry>& characters, Gb18030Codec& codec,
                           BuildStatistics& statistics);

// The fix entry that turns `seen` (GB18030, as the fix pass sees it) into `wanted`, keyed by
// the section character it returns; nullopt when they are equal or the window is too long.
std::optional<std::pair<std::string, FixEntry>> make_fix(std::string_view seen,
                                                         std::string_view wanted);

struct FixTables {
  FixTable first;
  FixTable second;
};

FixTables build_fix_tables(const std::vector<DictionaryEntry>& phrases, const CharTable& characters,
                           Gb18030Codec& codec, BuildStatistics& statistics);

}  // namespace converter::tablegen
