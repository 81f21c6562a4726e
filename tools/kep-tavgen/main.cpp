// kep-tavgen: generates the sentence service's data from open data (Unihan, a Rime pinyin
// dictionary, a phrase database, friso's lexicons, jieba's tagged words), all from the same
// character weights: the tables compiled into the service's core, its single-character table
// pydan.tab, and its word-library folder.
#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "accent_additions_builder.h"
#include "certainty_builder.h"
#include "character_readings_writer.h"
#include "context_words_builder.h"
#include "cz_libraries.h"
#include "dan_rows.h"
#include "friso_lexicon.h"
#include "gap_evidence.h"
#include "head_end_words_builder.h"
#include "jieba_dictionary.h"
#include "letter_list_builder.h"
#include "library_words_builder.h"
#include "name_lists_builder.h"
#include "platform/files.h"
#include "position_weights_writer.h"
#include "reading_libraries_writer.h"
#include "row_positions.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "split_libraries_builder.h"
#include "tables_source_writer.h"
#include "tav_folder.h"
#include "tav_sources.h"

namespace fs = std::filesystem;

namespace {

// The phrases taken from the phrase database, more than the engine's generator takes: the
// sentence search gains from longer phrases where the engine's greedy composition would be led
// astray by them. Chosen on the sentence development set (bench/sentence_accuracy).
inline constexpr std::uint32_t kPhraseFloor = 2000;
inline constexpr std::uint32_t kLongPhraseFloor = 3000;
inline constexpr std::size_t kPhraseCap = 400000;

struct Options {
  datasources::SourcePaths sources;
  fs::path tables;
  fs::path pydan;
  fs::path tav;
  fs::path friso = tavgen::kFrisoLexiconFolder;
  fs::path jieba = tavgen::kJiebaDictionary;
};

// friso's lexicons the generator reads, by file name.
struct FrisoLexicons {
  std::vector<std::string> main;
  std::vector<std::string> places;
  std::vector<std::string> units;
  std::vector<std::string> letter_words;  // Latin letters, then hanzi
  tavgen::NameLexicons names;
};

void usage() {
  std::fprintf(stderr,
               "usage: kep-tavgen --tables FILE.cpp --pydan FILE --tav DIR\n"
               "                  [--unihan DIR] [--words FILE] [--phrases FILE] [--friso DIR]\n"
               "                  [--jieba FILE]\n"
               "Writes the sentence service's generated tables (C++ source), its pydan.tab, and\n"
               "the folders cz, main, mpp, py and tools (the word, reading and split libraries,\n"
               "danmodi.inx and danmodi.lib)\n"
               "under DIR; --friso names the folder of friso's lexicons, --jieba jieba's dict.txt.\n");
}

bool parse_options(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    fs::path* target = nullptr;
    if (arg == "--tables") target = &options->tables;
    else if (arg == "--pydan") target = &options->pydan;
    else if (arg == "--tav") target = &options->tav;
    else if (arg == "--unihan") target = &options->sources.unihan_folder;
    else if (arg == "--words") target = &options->sources.word_dictionary;
    else if (arg == "--phrases") target = &options->sources.phrase_database;
    else if (arg == "--friso") target = &options->friso;
    else if (arg == "--jieba") target = &options->jieba;
    if (target == nullptr || i + 1 >= argc) return false;
    *target = argv[++i];
  }
  return !options->tables.empty() && !options->pydan.empty() && !options->tav.empty();
}

bool write_file(const fs::path& path, const std::string& bytes, std::string* error) {
  std::error_code ec;
  if (path.has_parent_path() && !platform::files::make_directories(path.parent_path(), 0755, ec)) {
    *error = "cannot create " + path.parent_path().string() + ": " + ec.message();
    return false;
  }
  if (!platform::files::write_atomic(path, bytes, ec)) {
    *error = "cannot write " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

// The main, whole-input, head-and-end and context libraries under `tav`.
bool write_word_libraries(const fs::path& tav, tavgen::LibraryWords words,
                          std::array<std::vector<tavgen::LibraryWord>, tavgen::kHeadEndWordMax + 1> head_end,
                          const tavgen::ContextLibraryWords& context, std::string* error) {
  for (int n = 2; n <= tavgen::kLibraryWordMax; ++n) {
    if (!tavgen::write_main_library(tav, n, std::move(words.main[n]), error) ||
        !tavgen::write_whole_library(tav, n, std::move(words.whole[n]), error) ||
        (n <= tavgen::kHeadEndWordMax && !tavgen::write_head_end_library(tav, n, std::move(head_end[n]), error))) {
      return false;
    }
  }
  return tavgen::write_context_libraries(tav, context, error);
}

void print_context_report(const tavgen::HeadEndReport& head_end, const tavgen::ContextWordsReport& context,
                          const tavgen::ContextLibraryWords& words) {
  std::printf("  head and end  %zu head words, %zu end words; left out: %zu not in the main library, %zu below a "
              "homophone\n",
              head_end.heads, head_end.ends, head_end.not_in_main, head_end.below_rivals);
  std::printf("  context       words after numbers %zu, between numbers %zu, after letters %zu (%zu not placed); "
              "records bd1:%zu bd2:%zu bdj2:%zu\n",
              context.after_numbers, context.between_numbers, context.after_letters, context.not_placed,
              words.one.size(), words.two.size(), words.abbreviated.size());
}

void print_library_report(const tavgen::LibraryWordsReport& report) {
  std::printf("  word library  %zu distinct words of 2..7 characters; left out: %zu not GB2312, %zu without a row,\n"
              "                %zu beyond their row's 122 characters, %zu not in their row; %zu trimmed\n",
              report.read, report.not_gb2312, report.no_row, report.beyond_row, report.not_in_row, report.trimmed);
  std::printf("                main");
  for (int n = 2; n <= tavgen::kLibraryWordMax; ++n) std::printf(" %d:%zu", n, report.main[n]);
  std::printf(" (%zu second spellings); whole-input", report.spelling_copies);
  for (int n = 2; n <= tavgen::kLibraryWordMax; ++n) std::printf(" %d:%zu", n, report.whole[n]);
  std::printf("\n");
}

bool load_friso_lexicons(const fs::path& folder, FrisoLexicons* lexicons, std::string* error) {
  const std::pair<const char*, std::vector<std::string>*> files[] = {
      {"lex-main.lex", &lexicons->main},
      {"lex-cn-place.lex", &lexicons->places},
      {"lex-units.lex", &lexicons->units},
      {"lex-ecmixed.lex", &lexicons->letter_words},
      {"lex-lname.lex", &lexicons->names.surnames},
      {"lex-sname.lex", &lexicons->names.single_given},
      {"lex-dname-1.lex", &lexicons->names.double_first},
      {"lex-dname-2.lex", &lexicons->names.double_second},
      {"lex-flname.lex", &lexicons->names.western}};
  for (const auto& [name, words] : files) {
    if (!tavgen::load_friso_lexicon(folder / name, words, error)) return false;
  }
  return true;
}

void print_hanzi_keyed(const char* name, const tavgen::HanziKeyedFiles& files) {
  std::printf(" %s:%zu", name, files.kept);
  if (files.dropped.empty()) return;
  std::size_t weighted = 0;
  for (const tavgen::HanziKeyedRecord& record : files.dropped) weighted += record.weight != 0;
  std::printf("(-%zu, %zu of them weighted)", files.dropped.size(), weighted);
}

void print_cz_report(const tavgen::CzLibraries& cz, const tavgen::NameLists& names) {
  std::printf("  cz            records (-left out for 16-bit record numbers)");
  print_hanzi_keyed("cz2", cz.words[2]);
  print_hanzi_keyed("cz3", cz.words[3]);
  print_hanzi_keyed("cz4", cz.words[4]);
  print_hanzi_keyed("pcz2", cz.prefixes[2]);
  print_hanzi_keyed("pcz3", cz.prefixes[3]);
  print_hanzi_keyed("rm3", cz.given_names);
  print_hanzi_keyed("dm", cz.places);
  std::printf("\n  name lists    surnames %zu, given-name characters %zu, Western %zu/%zu/%zu from %zu names\n",
              names.surnames.size(), names.given.size(), names.western_first.size(), names.western_middle.size(),
              names.western_last.size(), names.western_names);
}

// main/mdan.mpy, tools/dyc* and tools/dyz*, cz/weight.dat under `tav`.
bool write_reading_libraries(const fs::path& tav, const tavgen::CharacterReadings& readings,
                             const tavgen::ReadingLibraries& libraries, const std::string& position_weights,
                             std::string* error) {
  if (!write_file(tav / sentence::kCharacterReadingsName, readings.bytes, error) ||
      !write_file(tav / sentence::kPositionWeightsName, position_weights, error)) {
    return false;
  }
  for (int n = sentence::kReadingWordMin; n <= sentence::kReadingWordMax; ++n) {
    for (const bool polyphones : {false, true}) {
      const tavgen::ReadingLibrary& library = polyphones ? libraries.polyphones[n] : libraries.all[n];
      if (!write_file(tav / sentence::reading_library_name(polyphones, n, ".inx"), library.index, error) ||
          !write_file(tav / sentence::reading_library_name(polyphones, n, ".lib"), library.records, error)) {
        return false;
      }
    }
  }
  return true;
}

void print_reading_report(const tavgen::CharacterReadings& readings, const tavgen::ReadingLibraries& libraries,
                          std::size_t position_weight_bytes, const tavgen::SplitLibraries& splits) {
  std::printf("  mdan          %zu of %d characters with a reading, %zu bytes; weight.dat %zu bytes\n",
              readings.with_reading, tavgen::kGb2312HanziCount, readings.bytes.size(), position_weight_bytes);
  std::printf("  readings      %zu distinct words (%zu without codes); dyc", libraries.words, libraries.without_code);
  std::size_t trimmed = 0;
  for (int n = sentence::kReadingWordMin; n <= sentence::kReadingWordMax; ++n) {
    std::printf(" %d:%zu", n, libraries.all[n].kept);
    trimmed += libraries.all[n].trimmed;
  }
  std::printf("; dyz");
  for (int n = sentence::kReadingWordMin; n <= sentence::kReadingWordMax; ++n) {
    std::printf(" %d:%zu", n, libraries.polyphones[n].kept);
  }
  std::printf("; %zu trimmed\n  split runs   ", trimmed);
  for (int n = sentence::kSplitRunMin; n <= sentence::kSplitRunMax; ++n) {
    print_hanzi_keyed(("qy" + std::to_string(n)).c_str(), splits.runs[n]);
  }
  std::printf("; %zu without a cut, %zu beyond the first level\n", splits.uncut, splits.beyond_first_level);
}

int fail(const std::string& what) {
  std::fprintf(stderr, "kep-tavgen: %s\n", what.c_str());
  return 1;
}

int run(const Options& options) {
  std::string error;
  tavgen::TavSources sources;
  datasources::MergeRules merge{kPhraseFloor, kLongPhraseFloor, kPhraseCap};
  if (!tavgen::load_tav_sources(options.sources, merge, &sources, &error)) return fail(error);

  const tavgen::DanRows rows = tavgen::build_dan_rows(sources.weights);
  const tavgen::LetterLists letters = tavgen::build_letter_lists(sources.weights);
  for (std::size_t letter = 0; letter < letters.size(); ++letter) {
    const char name = static_cast<char>('a' + letter);
    if (letters[letter].size() != static_cast<std::size_t>(tavgen::letter_list_length(name))) {
      return fail(std::string("the sources hold too few characters for the letter list of ") + name);
    }
  }
  const std::vector<tavgen::CertaintyEntry> certainties = tavgen::build_certainties(rows, sources.weights);
  const std::vector<tavgen::AccentEntry> additions = tavgen::build_accent_additions(rows, sources.weights);
  const tavgen::DanmodiFiles danmodi = tavgen::write_danmodi(tavgen::build_danmodi_lists(sources.words));
  const std::string pydan = tavgen::write_pydan(rows);

  FrisoLexicons friso;
  if (!load_friso_lexicons(options.friso, &friso, &error)) return fail(error);
  std::vector<std::string> word_texts = friso.main;
  std::vector<tavgen::CzWord> cz_words = tavgen::cz_words_of(friso.main, 0);
  tavgen::Gb2312Cache gb2312;
  for (const datasources::RimeEntry& entry : sources.vocabulary) {
    word_texts.push_back(entry.text);
    if (std::optional<std::vector<tavgen::GbkChar>> characters = gb2312.text(entry.text)) {
      cz_words.push_back({std::move(*characters), entry.weight});
    }
  }
  const tavgen::NameLists names = tavgen::build_name_lists(friso.names, word_texts);
  tavgen::CzLibraries cz;
  if (!tavgen::build_cz_libraries(cz_words, tavgen::single_characters(friso.names.double_first),
                                  tavgen::single_characters(friso.names.double_second),
                                  tavgen::cz_words_of(friso.places, 0), &cz, &error)) {
    return fail(error);
  }

  if (!write_file(options.tables, tavgen::write_tables_source(letters, certainties, additions, names), &error) ||
      !write_file(options.pydan, pydan, &error) || !tavgen::write_tav_folder(options.tav, danmodi, &error) ||
      !tavgen::write_cz_libraries(options.tav, cz, &error)) {
    return fail(error);
  }
  tavgen::LibraryWordsReport library_report;
  tavgen::LibraryWords library_words =
      tavgen::build_library_words(sources.vocabulary, rows, sources.weights, &library_report);
  std::vector<tavgen::TaggedWord> tagged;
  if (!tavgen::load_jieba_dictionary(options.jieba, &tagged, &error)) return fail(error);
  tavgen::HeadEndReport head_end_report;
  auto head_end = tavgen::build_head_end_words(tagged, library_words, rows, &head_end_report);
  tavgen::GapEvidence gaps;
  const std::set<std::string> idioms = tavgen::texts_tagged(tagged, tavgen::kIdiomTags);
  tavgen::add_numeral_compounds(sources.vocabulary, idioms, &gaps);
  tavgen::add_numeral_compounds(sources.numeral_phrases, idioms, &gaps);
  tavgen::add_units(friso.units, sources.weights, &gaps);
  tavgen::add_letter_words(friso.letter_words, sources.vocabulary, sources.weights, &gaps);
  tavgen::ContextWordsReport context_report;
  const tavgen::ContextLibraryWords context_words =
      tavgen::build_context_words(gaps, tavgen::RowPositions(rows, sources.weights), &context_report);
  if (!write_word_libraries(options.tav, std::move(library_words), std::move(head_end), context_words, &error)) {
    return fail(error);
  }

  const tavgen::CharacterReadings readings = tavgen::write_character_readings(sources.weights);
  const tavgen::ReadingLibraries reading_libraries = tavgen::build_reading_libraries(sources.vocabulary, gb2312);
  const std::string position_weights = tavgen::write_position_weights(sources.vocabulary, gb2312);
  tavgen::SplitLibraries splits;
  if (!tavgen::build_split_libraries(sources.vocabulary, gb2312, tavgen::kept_cz_words(cz), &splits, &error) ||
      !write_reading_libraries(options.tav, readings, reading_libraries, position_weights, &error) ||
      !tavgen::write_split_libraries(options.tav, splits, &error)) {
    return fail(error);
  }

  std::size_t row_characters = 0;
  for (const auto& row : rows.characters) row_characters += row.size();
  std::printf("kep-tavgen: wrote %s\n", options.tables.c_str());
  std::printf("  pydan.tab     %zu characters in %d rows, %zu bytes\n", row_characters, tavgen::kDanLines,
              pydan.size());
  std::printf("  certainties   %zu syllables; accent additions %zu syllables\n", certainties.size(),
              additions.size());
  std::printf("  danmodi       %zu index bytes, %zu library bytes, from %zu words (%zu phrases)\n",
              danmodi.index.size(), danmodi.library.size(), sources.words.size(), sources.phrases_added);
  print_library_report(library_report);
  print_context_report(head_end_report, context_report, context_words);
  print_cz_report(cz, names);
  print_reading_report(readings, reading_libraries, position_weights.size(), splits);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, &options)) {
    usage();
    return 2;
  }
  try {
    return run(options);
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}
