#include "converter/passes.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "converter/gb18030_units.h"

namespace converter {

namespace {

unsigned char lower_ascii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Compares `text` with the same number of bytes of `pattern`, which both start on a character
// boundary; ASCII letters compare without regard to case when `fold_case`.
bool same_text(const char* text, std::string_view pattern, bool fold_case) {
  if (std::memcmp(text, pattern.data(), pattern.size()) == 0) return true;
  if (!fold_case) return false;
  for (std::size_t at = 0; at < pattern.size();) {
    Unit unit = next_unit(pattern, at);
    if (unit.kind == UnitKind::Single) {
      if (lower_ascii(static_cast<unsigned char>(text[at])) !=
          lower_ascii(static_cast<unsigned char>(pattern[at]))) {
        return false;
      }
    } else if (std::memcmp(text + at, pattern.data() + at, unit.length) != 0) {
      return false;
    }
    at += unit.length;
  }
  return true;
}

// The output of the fix pass with a note of where its characters start, so that taking back
// the before bytes of a window never splits a character.
class MarkedOutput {
 public:
  explicit MarkedOutput(std::size_t expected) {
    bytes_.reserve(expected);
    starts_.reserve(expected);
  }
  void append_unit(std::string_view unit) {
    bytes_.append(unit);
    starts_.push_back(1);
    starts_.insert(starts_.end(), unit.size() - 1, 0);
  }
  void append_text(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
      std::size_t length = next_unit(text, at).length;
      append_unit(text.substr(at, length));
      at += length;
    }
  }
  // True when the output ends with `expected` and that ending starts on a character.
  bool ends_with(std::string_view expected, bool fold_case) const {
    if (expected.size() > bytes_.size()) return false;
    if (expected.empty()) return true;
    std::size_t from = bytes_.size() - expected.size();
    return starts_[from] != 0 && same_text(bytes_.data() + from, expected, fold_case);
  }
  void take_back(std::size_t count) {
    bytes_.resize(bytes_.size() - count);
    starts_.resize(starts_.size() - count);
  }
  std::string release() { return std::move(bytes_); }

 private:
  std::string bytes_;
  std::vector<std::uint8_t> starts_;
};

const FixEntry* matching_entry(const FixSection& section, std::string_view input, std::size_t at,
                               std::size_t length, const MarkedOutput& output) {
  const std::size_t after_start = at + length;
  for (const FixEntry& entry : section.entries()) {
    if (after_start + entry.after > input.size()) continue;
    std::string_view phrase = entry.phrase;
    if (!same_text(input.data() + after_start, phrase.substr(entry.before + length),
                   entry.has_ascii_letters)) {
      continue;
    }
    if (!output.ends_with(phrase.substr(0, entry.before), entry.has_ascii_letters)) continue;
    return &entry;
  }
  return nullptr;
}

}  // namespace

std::string character_pass(std::string_view input, const CharTable& table) {
  std::string output;
  output.reserve(input.size() + input.size() / 4 + 8);
  for (std::size_t at = 0; at < input.size();) {
    Unit unit = next_unit(input, at);
    switch (unit.kind) {
      case UnitKind::Single:
        output.push_back(input[at]);
        break;
      case UnitKind::Truncated:
        return output;
      case UnitKind::Invalid:
        break;
      case UnitKind::Double:
      case UnitKind::Quad:
        if (const std::string* traditional = table.find(unit_code(input, at, unit.length))) {
          output += *traditional;
        } else {
          output.append(input.substr(at, unit.length));
        }
        break;
    }
    at += unit.length;
  }
  return output;
}

std::string fix_pass(std::string_view input, const FixTable& table) {
  MarkedOutput output(input.size() + input.size() / 4 + 8);
  for (std::size_t at = 0; at < input.size();) {
    Unit unit = next_unit(input, at);
    if (unit.kind == UnitKind::Truncated) break;
    if (unit.kind == UnitKind::Invalid) {
      at += 1;
      continue;
    }
    std::string_view character = input.substr(at, unit.length);
    const FixSection* section =
        unit.kind == UnitKind::Single ? nullptr : table.find(unit_code(input, at, unit.length));
    const FixEntry* entry =
        section ? matching_entry(*section, input, at, unit.length, output) : nullptr;
    if (entry == nullptr) {
      output.append_unit(character);
      at += unit.length;
      continue;
    }
    output.take_back(entry->before);
    output.append_text(entry->replacement);
    at += unit.length + entry->after;
  }
  return output.release();
}

std::string user_fix_pass(std::string_view utf8, const UserFixTable& table) {
  if (table.empty()) return std::string(utf8);
  std::string output;
  output.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    if (const auto* match = table.longest_match(utf8, at)) {
      output += match->second;
      at += match->first.size();
    } else {
      output.push_back(utf8[at]);
      ++at;
    }
  }
  return output;
}

}  // namespace converter
