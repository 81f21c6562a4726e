#include "table_data.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <string_view>

#include "CoreSource/dict/plugfmt.h"

namespace codetable {

namespace {

std::string at_line(const CodePair& pair) { return " (line " + std::to_string(pair.line) + ")"; }

bool fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

// Offsets are 32-bit: the file must stay addressable by them.
bool fits_offsets(const std::string& bytes, std::string* error) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    return fail(error, "The code table is too large for its 32-bit offsets.");
  }
  return true;
}

// Byte order, as unsigned bytes whatever the signedness of char.
int compare_bytes(const std::string& a, const std::string& b) {
  if (int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()))) return c;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::uint32_t weight_of(const CodePair& pair, std::size_t count) {
  return static_cast<std::uint32_t>(count - pair.ordinal);
}

}  // namespace

bool CheckPairs(const std::vector<CodePair>& pairs, int version, std::string* error) {
  if (pairs.size() > kMaxPairs) return fail(error, "The source holds too many codes.");
  std::set<unsigned char> first_bytes;
  for (const CodePair& pair : pairs) {
    if (pair.key.empty() || pair.key.size() > IME_PLUG_MAX_CODE_BYTES) {
      return fail(error, "Code '" + pair.key + "' is longer than " +
                             std::to_string(IME_PLUG_MAX_CODE_BYTES) + " bytes" + at_line(pair) + ".");
    }
    if (pair.value.size() > IME_PLUG_MAX_TEXT_BYTES) {
      return fail(error, "A text of code '" + pair.key + "' is longer than " +
                             std::to_string(IME_PLUG_MAX_TEXT_BYTES) + " bytes" + at_line(pair) + ".");
    }
    if (pair.key.find('\0') != std::string::npos || pair.value.find('\0') != std::string::npos) {
      return fail(error, "The source holds a NUL byte" + at_line(pair) + ".");
    }
    // The index has always refused such codes; the build stops where it always did.
    if (version == 20 && pair.key.find('\'') != std::string::npos) {
      return fail(error, "Insert '" + pair.key + "' to plug index failed![a code cannot hold a single quote" +
                             at_line(pair) + "]");
    }
    first_bytes.insert(static_cast<unsigned char>(pair.key[0]));
  }
  if (version == 10) {
    for (const CodePair& pair : pairs) {
      const auto prefix = IME_PLUG_LETTER_PREFIX;
      if (pair.key.size() == prefix.size() + 1 && pair.key.starts_with(prefix) &&
          first_bytes.count(static_cast<unsigned char>(pair.key.back())) != 0) {
        return fail(error, "Code '" + pair.key + "' is reserved by the index" + at_line(pair) + ".");
      }
    }
  }
  return true;
}

std::vector<std::size_t> DropOverlongTexts(std::vector<CodePair>* pairs) {
  std::vector<std::size_t> lines;
  std::vector<CodePair> kept;
  kept.reserve(pairs->size());
  for (CodePair& pair : *pairs) {
    if (pair.value.size() > IME_PLUG_MAX_TEXT_BYTES) {
      lines.push_back(pair.line);
      continue;
    }
    pair.ordinal = static_cast<std::uint32_t>(kept.size());
    kept.push_back(std::move(pair));
  }
  *pairs = std::move(kept);
  return lines;
}

bool BuildSqlData(const std::vector<CodePair>& pairs, DataImage* image, std::string* error) {
  image->bytes.clear();
  image->keys.clear();
  ime_plug_append_header(&image->bytes, IME_PLUG_VERSION_SQL);
  for (const CodePair& pair : pairs) {
    if (image->keys.empty() || image->keys.back().key != pair.key) {
      if (!fits_offsets(image->bytes, error)) return false;
      image->keys.push_back({pair.key, static_cast<std::uint32_t>(image->bytes.size())});
    }
    ime_plug_append_record(&image->bytes, pair.key, pair.value, weight_of(pair, pairs.size()));
  }
  image->bytes.push_back(static_cast<char>(IME_PLUG_SQL_END_MARK));
  ime_plug_append_be32(&image->bytes, static_cast<std::uint32_t>(pairs.size()));
  return fits_offsets(image->bytes, error);
}

void SortPairsForCmph(std::vector<CodePair>* pairs) {
  auto order = [](const CodePair& a, const CodePair& b) {
    if (int c = compare_bytes(a.key, b.key)) return c < 0;
    if (int c = compare_bytes(a.value, b.value)) return c < 0;
    return compare_bytes(std::to_string(a.ordinal), std::to_string(b.ordinal)) < 0;
  };
  std::sort(pairs->begin(), pairs->end(), order);
}

bool BuildCmphData(const std::vector<CodePair>& sorted, DataImage* image, std::string* error) {
  image->bytes.clear();
  image->keys.clear();
  ime_plug_append_header(&image->bytes, IME_PLUG_VERSION_CMPH);
  std::uint32_t letter_start = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const CodePair& pair = sorted[i];
    if (!fits_offsets(image->bytes, error)) return false;
    const auto offset = static_cast<std::uint32_t>(image->bytes.size());
    const bool new_letter = i == 0 || sorted[i - 1].key[0] != pair.key[0];
    if (new_letter) letter_start = offset;
    if (i == 0 || sorted[i - 1].key != pair.key) image->keys.push_back({pair.key, offset});
    ime_plug_append_record(&image->bytes, pair.key, pair.value, weight_of(pair, sorted.size()));
    const bool letter_ends = i + 1 == sorted.size() || sorted[i + 1].key[0] != pair.key[0];
    if (letter_ends) {
      image->keys.push_back({ime_plug_letter_key(static_cast<unsigned char>(pair.key[0])), letter_start});
    }
  }
  image->bytes.push_back(static_cast<char>(IME_PLUG_CMPH_END_MARK));
  if (!fits_offsets(image->bytes, error)) return false;
  const auto table_position = static_cast<std::uint32_t>(image->bytes.size());
  for (const KeyOffset& key : image->keys) ime_plug_append_be32(&image->bytes, key.offset);
  ime_plug_append_be32(&image->bytes, table_position);
  return fits_offsets(image->bytes, error);
}

}  // namespace codetable
