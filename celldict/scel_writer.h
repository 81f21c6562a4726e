// Writes cell dictionaries (.scel) in the layout of scel_format.h: the import's tests, its
// benchmark and the kep-scel tool make their files with it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace scel {

struct WriterWord {
  std::vector<std::string> syllables;  // lower-case letters, e.g. {"zhong", "guo"}
  std::string text;                    // UTF-8
  float frequency = 0;
};

struct WriterContents {
  std::string uid;  // UTF-8 texts
  std::string name;
  std::string type;
  std::string remark;
  std::vector<std::string> samples;
  std::int32_t version = 0;  // Unix time
  std::vector<WriterWord> words;
};

// The 0x1540-byte header for `word_count` words in `group_count` groups. nullopt with the
// reason in `error` when a text is not UTF-8 or does not fit its field.
std::optional<std::string> encode_header(const WriterContents& contents, std::uint32_t group_count,
                                         std::uint32_t word_count, std::string* error);

// The whole file: the header, a pinyin table of every syllable used (indexes in letter order)
// and the words grouped by identical pinyin, in the order each pinyin first appears. The
// words are not checked against their syllables, so tests can write faulty files too; a
// syllable that is not 1 to 6 letters a-z, a word text that is not UTF-8 or longer than a
// reader takes is refused (nullopt, reason in `error`).
std::optional<std::string> encode_file(const WriterContents& contents, std::string* error);

// encode_file() written atomically to `path`. False with the reason in `error`.
bool write_file(const std::filesystem::path& path, const WriterContents& contents, std::string* error);

}  // namespace scel
