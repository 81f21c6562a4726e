#include "converter/tablegen/table_builder.h"

#include <unordered_set>

#include "converter/gb18030_units.h"
#include "converter/passes.h"

namespace converter::tablegen {

namespace {

struct EncodedPhrase {
  std::string seen;    // after the character table
  std::string wanted;  // the traditional form
};

// Adds a fix for a window not yet fixed; the first phrase to claim a window keeps it, so that
// the dictionary's own order decides between phrases that convert to the same characters.
bool add_fix(FixTable& table, std::unordered_set<std::string>& claimed, std::string_view seen,
             std::string_view wanted) {
  if (claimed.contains(std::string(seen))) return false;
  auto fix = make_fix(seen, wanted);
  if (!fix || table.add(fix->first, fix->second) == FixTable::AddResult::Invalid) return false;
  claimed.insert(std::string(seen));
  return true;
}

}  // namespace

CharTable build_char_table(const std::vector<DictionaryEntry>& characters, Gb18030Codec& codec,
                           BuildStatistics& statistics) {
  CharTable table;
  for (const DictionaryEntry& entry : characters) {
    auto simplified = codec.encode(entry.simplified);
    auto traditional = codec.encode(entry.traditional);
    // Characters that stay the same need no entry: the pass keeps what it does not find.
    if (!simplified || !traditional || *simplified == *traditional ||
        !table.add(*simplified, *traditional)) {
      ++statistics.characters_skipped;
      continue;
    }
  }
  statistics.characters = table.size();
  return table;
}

std::optional<std::pair<std::string, FixEntry>> make_fix(std::string_view seen,
                                                         std::string_view wanted) {
  if (seen == wanted || seen.empty()) return std::nullopt;
  // Walk both texts character by character up to the first difference.
  std::size_t at = 0;
  std::size_t last_start = 0;
  while (at < seen.size()) {
    Unit unit = next_unit(seen, at);
    if (!is_character(unit)) return std::nullopt;
    if (seen.substr(at, unit.length) != wanted.substr(at, unit.length)) break;
    last_start = at;
    at += unit.length;
  }
  // Everything matched: `seen` is a prefix of `wanted`; key the fix on its last character.
  if (at == seen.size()) at = last_start;
  Unit key = next_unit(seen, at);
  if (key.kind != UnitKind::Double && key.kind != UnitKind::Quad) return std::nullopt;
  std::size_t after = seen.size() - at - key.length;
  if (at > kMaxContextBytes || after > kMaxContextBytes) return std::nullopt;
  FixEntry entry{std::string(seen), std::string(wanted), static_cast<unsigned>(at),
                 static_cast<unsigned>(after)};
  return std::make_pair(std::string(seen.substr(at, key.length)), std::move(entry));
}

FixTables build_fix_tables(const std::vector<DictionaryEntry>& phrases, const CharTable& characters,
                           Gb18030Codec& codec, BuildStatistics& statistics) {
  FixTables tables;
  std::vector<EncodedPhrase> encoded;
  encoded.reserve(phrases.size());
  std::unordered_set<std::string> claimed_first, claimed_second;

  for (const DictionaryEntry& phrase : phrases) {
    ++statistics.phrases;
    auto simplified = codec.encode(phrase.simplified);
    auto traditional = codec.encode(phrase.traditional);
    if (!simplified || !traditional) {
      ++statistics.phrases_skipped;
      continue;
    }
    EncodedPhrase item{character_pass(*simplified, characters), std::move(*traditional)};
    if (item.seen == item.wanted) {
      ++statistics.phrases_right;
    } else if (add_fix(tables.first, claimed_first, item.seen, item.wanted)) {
      ++statistics.first_fixes;
    } else {
      ++statistics.phrases_skipped;
    }
    encoded.push_back(std::move(item));
  }

  // Phrases the first table still gets wrong, right ones included: it may have broken them.
  std::vector<std::pair<std::string, const EncodedPhrase*>> after_first;
  for (const EncodedPhrase& item : encoded) {
    std::string first = fix_pass(item.seen, tables.first);
    if (first == item.wanted) continue;
    if (add_fix(tables.second, claimed_second, first, item.wanted)) ++statistics.second_fixes;
    after_first.emplace_back(std::move(first), &item);
  }
  for (const auto& [first, item] : after_first) {
    if (fix_pass(first, tables.second) != item->wanted) ++statistics.still_wrong;
  }
  return tables;
}

}  // namespace converter::tablegen
