#include "converter/tables.h"

#include <algorithm>

#include "converter/gb18030_units.h"
#include "platform/text.h"

namespace converter {

namespace {

std::uint32_t code_of(std::string_view character) {
  return unit_code(character, 0, character.size());
}

bool has_ascii_letter_units(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    Unit unit = next_unit(text, at);
    unsigned char c = static_cast<unsigned char>(text[at]);
    if (unit.kind == UnitKind::Single && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      return true;
    }
    at += unit.length;
  }
  return false;
}

// True when a character starts exactly `offset` bytes into `text`.
bool starts_character_at(std::string_view text, std::size_t offset) {
  std::size_t at = 0;
  while (at < offset) at += next_unit(text, at).length;
  return at == offset;
}

// The order the fix pass tries entries in.
bool tried_before(const FixEntry& a, const FixEntry& b) {
  if (a.phrase.size() != b.phrase.size()) return a.phrase.size() > b.phrase.size();
  if (a.before != b.before) return a.before > b.before;
  return a.phrase < b.phrase;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CharTable

bool CharTable::add(std::string_view simplified, std::string_view traditional) {
  if (!is_one_multibyte_character(simplified) || traditional.empty() ||
      traditional.size() > kMaxTraditionalBytes || !is_whole_characters(traditional)) {
    return false;
  }
  map_[code_of(simplified)] = Entry{std::string(simplified), std::string(traditional)};
  return true;
}

const std::string* CharTable::find(std::uint32_t code) const {
  auto it = map_.find(code);
  return it == map_.end() ? nullptr : &it->second.traditional;
}

std::vector<std::pair<std::string, std::string>> CharTable::sorted_entries() const {
  std::vector<std::pair<std::string, std::string>> entries;
  entries.reserve(map_.size());
  for (const auto& [code, entry] : map_) entries.emplace_back(entry.simplified, entry.traditional);
  std::sort(entries.begin(), entries.end());
  return entries;
}

// ---------------------------------------------------------------------------------------------
// FixTable

bool FixTable::add_section(std::string_view character) {
  if (!is_one_multibyte_character(character)) return false;
  FixSection& section = sections_[code_of(character)];
  section.character_ = std::string(character);
  return true;
}

FixTable::AddResult FixTable::add(std::string_view character, FixEntry entry) {
  const std::size_t length = character.size();
  bool valid = is_one_multibyte_character(character) && entry.before <= kMaxContextBytes &&
               entry.after <= kMaxContextBytes &&
               entry.phrase.size() == entry.before + length + entry.after &&
               std::string_view(entry.phrase).substr(entry.before, length) == character &&
               is_whole_characters(entry.phrase) && starts_character_at(entry.phrase, entry.before) &&
               !entry.replacement.empty() && entry.replacement.size() <= kMaxReplacementBytes &&
               is_whole_characters(entry.replacement);
  if (!valid) return AddResult::Invalid;
  entry.has_ascii_letters = has_ascii_letter_units(entry.phrase);

  add_section(character);
  std::vector<FixEntry>& entries = sections_[code_of(character)].entries_;
  auto same_phrase = std::find_if(entries.begin(), entries.end(),
                                  [&](const FixEntry& e) { return e.phrase == entry.phrase; });
  AddResult result = AddResult::Added;
  if (same_phrase != entries.end()) {
    entries.erase(same_phrase);
    result = AddResult::Replaced;
  }
  entries.insert(std::upper_bound(entries.begin(), entries.end(), entry, tried_before),
                 std::move(entry));
  return result;
}

const FixSection* FixTable::find(std::uint32_t code) const {
  auto it = sections_.find(code);
  return it == sections_.end() ? nullptr : &it->second;
}

std::size_t FixTable::entry_count() const {
  std::size_t count = 0;
  for (const auto& [code, section] : sections_) count += section.entries().size();
  return count;
}

std::vector<const FixSection*> FixTable::sorted_sections() const {
  std::vector<const FixSection*> sections;
  for (const auto& [code, section] : sections_) sections.push_back(&section);
  std::sort(sections.begin(), sections.end(), [](const FixSection* a, const FixSection* b) {
    return a->character() < b->character();
  });
  return sections;
}

// ---------------------------------------------------------------------------------------------
// UserFixTable

bool UserFixTable::add(std::string_view text, std::string_view replacement) {
  if (text.empty() || !platform::text::is_valid_utf8(text) ||
      !platform::text::is_valid_utf8(replacement)) {
    return false;
  }
  auto same = std::find_if(replacements_.begin(), replacements_.end(),
                           [&](const auto& entry) { return entry.first == text; });
  if (same != replacements_.end()) {
    same->second = std::string(replacement);
    return true;
  }
  replacements_.emplace_back(std::string(text), std::string(replacement));
  auto& bucket = by_first_byte_[static_cast<unsigned char>(text.front())];
  bucket.push_back(replacements_.size() - 1);
  std::stable_sort(bucket.begin(), bucket.end(), [this](std::size_t a, std::size_t b) {
    const std::string& ta = replacements_[a].first;
    const std::string& tb = replacements_[b].first;
    return ta.size() != tb.size() ? ta.size() > tb.size() : ta < tb;
  });
  return true;
}

const std::pair<std::string, std::string>* UserFixTable::longest_match(std::string_view utf8,
                                                                       std::size_t at) const {
  for (std::size_t index : by_first_byte_[static_cast<unsigned char>(utf8[at])]) {
    const auto& entry = replacements_[index];
    if (utf8.substr(at).starts_with(entry.first)) return &entry;
  }
  return nullptr;
}

}  // namespace converter
