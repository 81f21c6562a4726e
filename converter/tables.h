// The converter's tables in memory. All text in the character and fix tables is GB18030, the
// form the conversion passes work on; user fixes are UTF-8 because they apply to the decoded
// result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace converter {

// Longest traditional text of one character, and longest fix replacement, in GB18030 bytes.
inline constexpr std::size_t kMaxTraditionalBytes = 16;
inline constexpr std::size_t kMaxReplacementBytes = 512;
// Largest context, in bytes, a fix entry may look at on either side of its character.
inline constexpr unsigned kMaxContextBytes = 128;

// Simplified character -> traditional text (han.db).
class CharTable {
 public:
  // False (nothing added) unless `simplified` is one multi-byte character and `traditional`
  // is whole characters of at most kMaxTraditionalBytes. A later entry replaces an earlier one.
  bool add(std::string_view simplified, std::string_view traditional);
  const std::string* find(std::uint32_t code) const;
  std::size_t size() const { return map_.size(); }
  // Entries in byte order of their characters, for writing the table deterministically.
  std::vector<std::pair<std::string, std::string>> sorted_entries() const;

  std::optional<std::string> version;  // UTF-8

 private:
  struct Entry {
    std::string simplified;
    std::string traditional;
  };
  std::unordered_map<std::uint32_t, Entry> map_;
};

// One context fix: when `phrase` (the `before` bytes, the section's character, the `after`
// bytes) stands in the text, the whole window becomes `replacement`.
struct FixEntry {
  std::string phrase;
  std::string replacement;
  unsigned before = 0;
  unsigned after = 0;
  bool has_ascii_letters = false;  // the window compares ASCII letters without regard to case
};

// The entries of one character, kept longest window first (then the one reaching further
// back, then byte order), which is the order the fix pass tries them in: the result never
// depends on the order of the table file.
class FixSection {
 public:
  const std::string& character() const { return character_; }
  const std::vector<FixEntry>& entries() const { return entries_; }

 private:
  friend class FixTable;
  std::string character_;
  std::vector<FixEntry> entries_;
};

// Character -> section of context fixes (corefix1.db, corefix2.db).
class FixTable {
 public:
  enum class AddResult { Added, Replaced, Invalid };

  // Creates the section when missing; false unless `character` is one multi-byte character.
  bool add_section(std::string_view character);
  // Adds an entry to the section of `character` (created when missing). Invalid unless the
  // window is whole characters with the section's character exactly `before` bytes in,
  // before and after are at most kMaxContextBytes, and the replacement is whole characters of
  // 1 to kMaxReplacementBytes bytes. An entry with the same phrase is replaced.
  AddResult add(std::string_view character, FixEntry entry);

  const FixSection* find(std::uint32_t code) const;
  std::size_t section_count() const { return sections_.size(); }
  std::size_t entry_count() const;
  // Sections in byte order of their characters.
  std::vector<const FixSection*> sorted_sections() const;

  std::optional<std::string> version;  // UTF-8

 private:
  std::unordered_map<std::uint32_t, FixSection> sections_;
};

// Literal replacements applied to the decoded result (user fix files).
class UserFixTable {
 public:
  // False for an empty text or either side not valid UTF-8. A later entry replaces an earlier.
  bool add(std::string_view text, std::string_view replacement);
  std::size_t size() const { return replacements_.size(); }
  bool empty() const { return replacements_.empty(); }

  // The longest text that starts at `at` in `utf8` and its replacement, if any.
  const std::pair<std::string, std::string>* longest_match(std::string_view utf8,
                                                           std::size_t at) const;

 private:
  std::vector<std::pair<std::string, std::string>> replacements_;
  // Indexes into replacements_ by first byte, longest text first.
  std::array<std::vector<std::size_t>, 256> by_first_byte_;
};

}  // namespace converter
