// kep-mkdata: generates the engine's shipped data into a resource folder from open data
// (Unihan, a Rime pinyin dictionary, a phrase database, the Chinese conversion tables) and copies
// the hand-written resources beside it.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "CoreSource/base/checksum.h"
#include "CoreSource/split/py_suggestions.h"
#include "CoreSource/tables/hzinfo.h"
#include "CoreSource/tables/pytable.h"
#include "model/tables.h"
#include "platform/files.h"
#include "tools/datasources/model/characters.h"
#include "tools/datasources/model/sources.h"
#include "tools/datasources/model/vocabulary.h"
#include "writers/hzinfo_writer.h"
#include "writers/pinyin_table_writer.h"
#include "writers/split_suggestions.h"
#include "writers/system_dictionary.h"
#include "writers/text_tables.h"

namespace fs = std::filesystem;

namespace {

// The hanzi counters of a user are indexed by the pinyin tables' hanzi indexes, which only
// pinyin.db (and pinyin2.db) decide.
inline constexpr std::uint32_t kMaxHanziIndexes = IME_PY_EXT_INDEX_BASE;

// The phrase database's phrases the system dictionary takes: those at or above the frequency
// floors, at most the cap of them. All three were chosen on the typing development set
// (bench/devset): see docs/ARCHITECTURE.md.
inline constexpr std::uint32_t kPhraseFloor = 3000;
inline constexpr std::uint32_t kLongPhraseFloor = 4500;
inline constexpr std::size_t kPhraseCap = 200000;

struct Options {
  datasources::SourcePaths sources;
  datasources::MergeRules merge{kPhraseFloor, kLongPhraseFloor, kPhraseCap};
  fs::path resources = KEP_RESOURCES_DIR;
  fs::path output;
};

void usage() {
  std::fprintf(stderr,
               "usage: kep-mkdata [--unihan DIR] [--words FILE] [--opencc DIR] [--opencc-dict TOOL]\n"
               "                  [--phrases FILE] [--phrase-floor N] [--long-phrase-floor N] [--phrase-cap N]\n"
               "                  [--resources DIR] OUTPUT-DIR\n"
               "Writes pinyin.db, pinyin2.db, hzdb.db, hzdb.idx, hzdb.info, fzm.db, punct.def,\n"
               "pysuggest.txt and system.dict into OUTPUT-DIR and copies vmode.txt, abbr.txt and\n"
               "imkkep.plist.\n");
}

bool parse_options(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](fs::path* target) {
      if (i + 1 >= argc) return false;
      *target = argv[++i];
      return true;
    };
    auto number = [&](auto* target) {
      if (i + 1 >= argc) return false;
      std::string_view text = argv[++i];
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *target);
      return ec == std::errc() && end == text.data() + text.size();
    };
    bool ok = true;
    if (arg == "--unihan") ok = value(&options->sources.unihan_folder);
    else if (arg == "--words") ok = value(&options->sources.word_dictionary);
    else if (arg == "--opencc") ok = value(&options->sources.opencc_folder);
    else if (arg == "--opencc-dict") ok = value(&options->sources.opencc_dump_tool);
    else if (arg == "--phrases") ok = value(&options->sources.phrase_database);
    else if (arg == "--phrase-floor") ok = number(&options->merge.min_frequency);
    else if (arg == "--long-phrase-floor") ok = number(&options->merge.min_long_frequency);
    else if (arg == "--phrase-cap") ok = number(&options->merge.max_phrases);
    else if (arg == "--resources") ok = value(&options->resources);
    else if (!arg.starts_with("-") && options->output.empty()) options->output = argv[i];
    else ok = false;
    if (!ok) return false;
  }
  return !options->output.empty();
}

bool write_file(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  if (!platform::files::write_atomic(path, bytes, ec)) {
    std::fprintf(stderr, "kep-mkdata: cannot write %s: %s\n", path.c_str(), ec.message().c_str());
    return false;
  }
  return true;
}

int fail(const std::string& what) {
  std::fprintf(stderr, "kep-mkdata: %s\n", what.c_str());
  return 1;
}

// Reads the written tables back with the engine's own readers, so a table the engine would
// refuse is never left as a finished build.
bool verify_tables(const fs::path& out, std::string* error) {
  std::error_code ec;
  std::optional<std::string> table = platform::files::read_file(out / "pinyin.db", ec);
  std::unordered_map<std::string, std::int64_t> syllables;
  if (!table || !ime_py_parse_table(reinterpret_cast<const unsigned char*>(table->data()),
                                    table->size(), nullptr, &syllables, error)) {
    *error = "pinyin.db does not read back: " + *error;
    return false;
  }
  std::optional<std::string> extension = platform::files::read_file(out / "pinyin2.db", ec);
  if (!extension || !ime_py_check_ext_table(reinterpret_cast<const unsigned char*>(extension->data()),
                                            extension->size(), error)) {
    *error = "pinyin2.db does not read back: " + *error;
    return false;
  }
  QAHzInfo* hzdb = QAHzInfoOpen((out / "hzdb.db").c_str());
  bool hanzi_found = hzdb != nullptr && QAHzInfoLookup(hzdb, "中", nullptr) == 0;
  QAHzInfoClose(hzdb);
  if (!hanzi_found) {
    *error = "hzdb.db does not read back";
    return false;
  }
  std::optional<std::string> suggestions = platform::files::read_file(out / IME_SUGGESTION_FILE, ec);
  std::size_t skipped = 0;
  if (suggestions) ime_parse_suggestion_table(*suggestions, &skipped);
  if (!suggestions || skipped != 0) {
    *error = std::string(IME_SUGGESTION_FILE) + " does not read back";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, &options)) {
    usage();
    return 2;
  }
  const fs::path& out = options.output;
  std::error_code ec;
  if (!platform::files::make_directories(out, 0755, ec)) return fail("cannot create " + out.string());

  options.sources.min_phrase_frequency = options.merge.min_frequency;
  datasources::Sources sources;
  std::string error;
  if (!datasources::load_sources(options.sources, &sources, &error)) return fail(error);
  datasources::CharTable characters = datasources::collect_characters(sources);
  mkdata::TableContents tables;
  mkdata::build_character_tables(characters, &tables);
  datasources::MergeReport merge_report;
  const std::vector<datasources::RimeEntry> merged = datasources::merge_database_phrases(
      sources.words, sources.database_phrases, characters, options.merge, &merge_report);
  mkdata::build_words(sources, characters, &tables, merged);
  if (tables.pinyin.size() >= kMaxHanziIndexes || tables.extension.size() >= kMaxHanziIndexes) {
    return fail("more single-character records than the hanzi counters can hold");
  }

  std::optional<std::string> pinyin = mkdata::write_pinyin_table(tables.pinyin, &error);
  std::optional<std::string> extension = pinyin ? mkdata::write_pinyin_ext_table(tables.extension, &error)
                                                 : std::nullopt;
  std::optional<mkdata::HzInfoFiles> hzinfo = extension ? mkdata::write_hzinfo(tables.hanzi, &error)
                                                        : std::nullopt;
  if (!hzinfo) return fail(error);
  // A new hanzi version resets the users' counters, so it follows the hanzi indexes.
  char hzdb_version[32];
  std::snprintf(hzdb_version, sizeof hzdb_version, "KEP hanzi %08x",
                ime_crc32(extension->data(), extension->size(), ime_crc32(pinyin->data(), pinyin->size())));
  std::size_t accessory_lines = 0;
  std::string accessory = mkdata::write_accessory_codes(tables.accessory, &accessory_lines);
  const auto& punctuation = mkdata::default_punctuation();
  mkdata::SuggestionReport suggestion_report;
  const auto suggestions = mkdata::build_split_suggestions(sources.words, &suggestion_report);

  if (!write_file(out / "pinyin.db", *pinyin) || !write_file(out / "pinyin2.db", *extension) ||
      !write_file(out / "hzdb.idx", hzinfo->index) || !write_file(out / "hzdb.db", hzinfo->database) ||
      !write_file(out / "hzdb.info", std::string(hzdb_version) + "\n") ||
      !write_file(out / "fzm.db", accessory) ||
      !write_file(out / "punct.def", mkdata::write_punctuation(punctuation)) ||
      !write_file(out / IME_SUGGESTION_FILE, ime_format_suggestion_table(suggestions))) {
    return 1;
  }
  mkdata::DictionaryReport dictionary;
  if (!mkdata::write_system_dictionary(tables.words, out / "system.dict", &dictionary, &error)) {
    return fail(error);
  }
  for (const char* name : {"vmode.txt", "abbr.txt", "imkkep.plist"}) {
    if (!platform::files::copy_file_replacing(options.resources / name, out / name, ec)) {
      return fail("cannot copy " + (options.resources / name).string() + ": " + ec.message());
    }
  }
  if (!verify_tables(out, &error)) return fail(error);

  std::printf("kep-mkdata: wrote %s\n", out.c_str());
  std::printf("  pinyin.db     %zu records, %zu bytes\n", tables.pinyin.size(), pinyin->size());
  std::printf("  pinyin2.db    %zu records, %zu bytes\n", tables.extension.size(), extension->size());
  std::printf("  hzdb.db       %zu hanzi, %zu bytes (index hzdb.idx %zu bytes)\n", tables.hanzi.size(),
              hzinfo->database.size(), hzinfo->index.size());
  std::printf("  hzdb.info     %s\n", hzdb_version);
  std::printf("  fzm.db        %zu hanzi\n", accessory_lines);
  std::printf("  punct.def     %zu mappings\n", punctuation.size());
  std::printf("  pysuggest.txt %zu suggested splits from %zu words and %zu syllable pairs\n",
              suggestion_report.entries, suggestion_report.words_checked, suggestion_report.pairs_checked);
  std::printf("  system.dict   %u words stored, %u refused, of %u listed\n", dictionary.records,
              dictionary.rejected, dictionary.words_listed);
  std::printf("  phrases       %zu read at frequency %u or more: %zu added, %zu known, %zu long ones below %u, "
              "%zu over the cap of %zu, %zu not GBK, %zu without final codes\n",
              merge_report.read, options.merge.min_frequency, merge_report.added, merge_report.known,
              merge_report.long_below_floor, options.merge.min_long_frequency, merge_report.capped,
              options.merge.max_phrases, merge_report.not_gbk, merge_report.no_final_code);
  std::printf("  copied        vmode.txt abbr.txt imkkep.plist\n");
  return 0;
}
