// kep-s2t-tablegen: writes the converter's tables han.db, corefix1.db and corefix2.db from the
// text dumps of the open simplified-to-traditional character and phrase dictionaries.
//
//   kep-s2t-tablegen --characters STCharacters.txt --phrases STPhrases.txt --output DIR
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "converter/table_file.h"
#include "converter/tablegen/opencc_text.h"
#include "converter/tablegen/table_builder.h"
#include "platform/files.h"

namespace fs = std::filesystem;
using namespace converter;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: kep-s2t-tablegen --characters FILE --phrases FILE --output DIR\n");
  return 2;
}

// A short fingerprint of the source data, so the version names the data it came from.
std::string fingerprint(std::string_view a, std::string_view b) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (std::string_view part : {a, b}) {
    for (unsigned char c : part) hash = (hash ^ c) * 16777619u;
  }
  char text[9];
  std::snprintf(text, sizeof text, "%08x", hash);
  return text;
}

bool read(const fs::path& path, std::string& contents) {
  std::error_code error;
  auto data = platform::files::read_file(path, error);
  if (!data) {
    std::fprintf(stderr, "kep-s2t-tablegen: cannot read %s: %s\n", path.c_str(),
                 error.message().c_str());
    return false;
  }
  contents = std::move(*data);
  return true;
}

bool write(const fs::path& path, const std::string& contents) {
  std::error_code error;
  if (!platform::files::write_atomic(path, contents, error, 0644)) {
    std::fprintf(stderr, "kep-s2t-tablegen: cannot write %s: %s\n", path.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path characters_path, phrases_path, output;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--characters") characters_path = argv[i + 1];
    else if (option == "--phrases") phrases_path = argv[i + 1];
    else if (option == "--output") output = argv[i + 1];
    else return usage();
  }
  if (argc % 2 == 0 || characters_path.empty() || phrases_path.empty() || output.empty()) {
    return usage();
  }

  std::string characters_text, phrases_text;
  if (!read(characters_path, characters_text) || !read(phrases_path, phrases_text)) return 1;
  std::size_t bad_character_lines = 0, bad_phrase_lines = 0;
  auto characters = tablegen::parse_dictionary_text(characters_text, &bad_character_lines);
  auto phrases = tablegen::parse_dictionary_text(phrases_text, &bad_phrase_lines);

  Gb18030Codec codec;
  tablegen::BuildStatistics statistics;
  CharTable han = tablegen::build_char_table(characters, codec, statistics);
  tablegen::FixTables fixes = tablegen::build_fix_tables(phrases, han, codec, statistics);
  const std::string source = fingerprint(characters_text, phrases_text);
  han.version = "s2t " + std::to_string(han.size()) + " chars " + source;
  fixes.first.version = "s2t " + std::to_string(fixes.first.entry_count()) + " fixes " + source;
  fixes.second.version = "s2t " + std::to_string(fixes.second.entry_count()) + " fixes " + source;

  std::error_code error;
  if (!platform::files::make_directories(output, 0755, error)) {
    std::fprintf(stderr, "kep-s2t-tablegen: cannot create %s: %s\n", output.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::size_t long_lines = 0, skipped = 0;
  std::string han_text = table_file::format_char_table(han, &skipped);
  long_lines += skipped;
  std::string first_text = table_file::format_fix_table(fixes.first, &skipped);
  long_lines += skipped;
  std::string second_text = table_file::format_fix_table(fixes.second, &skipped);
  long_lines += skipped;
  if (!write(output / "han.db", han_text) || !write(output / "corefix1.db", first_text) ||
      !write(output / "corefix2.db", second_text)) {
    return 1;
  }

  std::printf("kep-s2t-tablegen: %zu characters (%zu skipped, %zu bad lines); %zu phrases: "
              "%zu right by characters, %zu fixes in corefix1, %zu in corefix2, %zu skipped, "
              "%zu still wrong, %zu bad lines, %zu too long to store\n",
              statistics.characters, statistics.characters_skipped, bad_character_lines,
              statistics.phrases, statistics.phrases_right, statistics.first_fixes,
              statistics.second_fixes, statistics.phrases_skipped, statistics.still_wrong,
              bad_phrase_lines, long_lines);
  return 0;
}
