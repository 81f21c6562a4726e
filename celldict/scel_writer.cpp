#include "scel_writer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>
#include <unordered_map>

#include "platform/files.h"
#include "platform/text.h"
#include "scel_format.h"

namespace scel {

namespace {

constexpr std::size_t kMaxGroupWords = 0xFFFF;

void put16(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void set32(std::string& out, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// UTF-8 (checked first) to UTF-16LE; nullopt for a text that is not UTF-8.
std::optional<std::string> utf16le(std::string_view utf8) {
  if (!platform::text::is_valid_utf8(utf8)) return std::nullopt;
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = platform::text::utf8_sequence_length(lead);
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      put16(out, static_cast<std::uint16_t>(0xD800 | (code >> 10)));
      put16(out, static_cast<std::uint16_t>(0xDC00 | (code & 0x3FF)));
    } else {
      put16(out, static_cast<std::uint16_t>(code));
    }
  }
  return out;
}

bool is_syllable(const std::string& syllable) {
  if (syllable.empty() || syllable.size() > kMaxSyllableLetters) return false;
  for (char c : syllable) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

bool put_text(std::string& header, std::size_t offset, std::size_t bytes, const std::string& text,
              const char* what, std::string* error) {
  std::optional<std::string> units = utf16le(text);
  if (!units) {
    *error = std::string("the ") + what + " is not UTF-8 text";
    return false;
  }
  if (units->size() > bytes) {
    *error = std::string("the ") + what + " is longer than its " + std::to_string(bytes / 2) +
             " UTF-16 units";
    return false;
  }
  std::memcpy(header.data() + offset, units->data(), units->size());
  return true;
}

struct Group {
  std::vector<std::string> syllables;
  std::vector<std::size_t> words;
};

}  // namespace

std::optional<std::string> encode_header(const WriterContents& contents, std::uint32_t group_count,
                                         std::uint32_t word_count, std::string* error) {
  std::string header(kHeaderBytes, '\0');
  set32(header, kMagicOffset, kMagic);
  set32(header, kFormatVersionOffset, kFormatVersion);
  std::string samples;
  for (std::size_t i = 0; i < contents.samples.size(); ++i) {
    if (i > 0) samples += kSampleSeparator;
    samples += contents.samples[i];
  }
  if (!put_text(header, kUidOffset, kUidBytes, contents.uid, "uid", error) ||
      !put_text(header, kNameOffset, kNameBytes, contents.name, "name", error) ||
      !put_text(header, kTypeOffset, kTypeBytes, contents.type, "type", error) ||
      !put_text(header, kRemarkOffset, kRemarkBytes, contents.remark, "remark", error) ||
      !put_text(header, kSamplesOffset, kSamplesBytes, samples, "samples text", error)) {
    return std::nullopt;
  }
  set32(header, kVersionOffset, static_cast<std::uint32_t>(contents.version));
  set32(header, kPinyinGroupCountOffset, group_count);
  set32(header, kWordCountOffset, word_count);
  set32(header, kPinyinTotalOffset, group_count);
  set32(header, kWordTotalOffset, word_count);
  return header;
}

std::optional<std::string> encode_file(const WriterContents& contents, std::string* error) {
  std::vector<Group> groups;
  std::unordered_map<std::string, std::size_t> group_of;
  std::map<std::string, std::uint16_t> syllable_index;
  for (std::size_t i = 0; i < contents.words.size(); ++i) {
    const WriterWord& word = contents.words[i];
    std::string pinyin;
    for (const std::string& syllable : word.syllables) {
      if (!is_syllable(syllable)) {
        *error = "the syllable \"" + syllable + "\" is not 1 to 6 letters a-z";
        return std::nullopt;
      }
      syllable_index.emplace(syllable, 0);
      pinyin += syllable;
      pinyin += '\'';
    }
    if (word.syllables.empty() || 2 * word.syllables.size() > kMaxSyllableListBytes) {
      *error = "a word has " + std::to_string(word.syllables.size()) + " syllables (1 to " +
               std::to_string(kMaxSyllableListBytes / 2) + " fit)";
      return std::nullopt;
    }
    auto [at, added] = group_of.emplace(pinyin, groups.size());
    if (added) groups.push_back({word.syllables, {}});
    groups[at->second].words.push_back(i);
  }
  std::uint16_t next = 0;
  for (auto& [syllable, index] : syllable_index) index = next++;

  std::string body;
  put32(body, static_cast<std::uint32_t>(syllable_index.size()));
  for (const auto& [syllable, index] : syllable_index) {
    put16(body, index);
    put16(body, static_cast<std::uint16_t>(2 * syllable.size()));
    body += *utf16le(syllable);
  }
  std::uint32_t group_count = 0;
  for (const Group& group : groups) {
    for (std::size_t first = 0; first < group.words.size(); first += kMaxGroupWords) {
      const std::size_t count = std::min(kMaxGroupWords, group.words.size() - first);
      ++group_count;
      put16(body, static_cast<std::uint16_t>(count));
      put16(body, static_cast<std::uint16_t>(2 * group.syllables.size()));
      for (const std::string& syllable : group.syllables) put16(body, syllable_index[syllable]);
      for (std::size_t k = first; k < first + count; ++k) {
        const WriterWord& word = contents.words[group.words[k]];
        std::optional<std::string> text = utf16le(word.text);
        if (!text || text->size() > kMaxEntryBytes) {
          *error = "the word \"" + word.text + "\" is not UTF-8 or longer than " +
                   std::to_string(kMaxEntryBytes) + " bytes in UTF-16";
          return std::nullopt;
        }
        put16(body, static_cast<std::uint16_t>(text->size()));
        body += *text;
        put16(body, 10);  // the fields a reader skips, as real files fill them
        put32(body, 0);
        put16(body, 0);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &word.frequency, sizeof bits);
        for (int shift = 24; shift >= 0; shift -= 8) body += static_cast<char>((bits >> shift) & 0xFF);
      }
    }
  }
  std::optional<std::string> file =
      encode_header(contents, group_count, static_cast<std::uint32_t>(contents.words.size()), error);
  if (!file) return std::nullopt;
  *file += body;
  set32(*file, kSizeOffset, static_cast<std::uint32_t>(file->size()));
  return file;
}

bool write_file(const std::filesystem::path& path, const WriterContents& contents, std::string* error) {
  std::optional<std::string> bytes = encode_file(contents, error);
  if (!bytes) return false;
  std::error_code failure;
  if (!platform::files::write_atomic(path, *bytes, failure)) {
    *error = "cannot write " + path.string() + ": " + failure.message();
    return false;
  }
  return true;
}

}  // namespace scel
