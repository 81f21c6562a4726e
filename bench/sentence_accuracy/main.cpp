// Character accuracy of whole-sentence conversion on the development set (devset.txt): each
// sentence's pinyin, from the engine's own readings (digits and marks given as they are),
// converted by the sentence service, by the engine's own sentence composition, and by the open
// libraries the build found. One line per converter; with --verbose every sentence some
// converter got wrong, each output with its wrong characters in brackets.
//   sentence_accuracy [--verbose] [devset.txt]
// Runs on the staged root, in a scratch HOME and runtime folder removed afterwards.
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine_converter.h"
#include "engine_readings.h"
#include "peer_converters.h"
#include "platform/files.h"
#include "sentence_score.h"
#include "service_converter.h"
#include "session/engine_host.h"

namespace {

using namespace sentence_accuracy;

struct Sentence {
  std::string text;
  std::vector<std::string> characters;
  std::vector<std::string> pieces;  // a syllable per hanzi, digits and marks as they are
};

struct Result {
  std::string name;
  Tally tally;
  std::vector<std::string> outputs;  // per sentence
};

class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    if (auto made = platform::files::make_temp_directory({}, "kep-sentence-accuracy-", error)) path_ = *made;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (const std::string& piece : pieces) text += (text.empty() ? "" : " ") + piece;
  return text;
}

Result run(Converter& converter, const std::vector<Sentence>& sentences) {
  Result result{converter.name(), {}, {}};
  for (const Sentence& sentence : sentences) {
    std::string output = converter.convert(sentence.pieces);
    result.tally.add(sentence.characters, utf8_characters(output));
    result.outputs.push_back(std::move(output));
  }
  return result;
}

void print_result(const Result& result) {
  const Tally& tally = result.tally;
  std::printf("%s: %zu sentences, %zu characters; character accuracy %.2f%%, exact sentences %zu (%.1f%%)\n",
              result.name.c_str(), tally.sentences, tally.characters, 100.0 * tally.accuracy(), tally.exact,
              tally.sentences == 0 ? 0.0 : 100.0 * static_cast<double>(tally.exact) / static_cast<double>(tally.sentences));
}

void print_differences(const std::vector<Sentence>& sentences, const std::vector<Result>& results) {
  for (std::size_t i = 0; i < sentences.size(); ++i) {
    const Sentence& sentence = sentences[i];
    bool missed = false;
    for (const Result& result : results) missed |= result.outputs[i] != sentence.text;
    if (!missed) continue;
    std::printf("%s\t%s\n", sentence.text.c_str(), joined(sentence.pieces).c_str());
    for (const Result& result : results) {
      const std::vector<std::string> produced = utf8_characters(result.outputs[i]);
      std::printf("  %-20s %2zu/%zu  %s\n", result.name.c_str(),
                  characters_in_place(sentence.characters, produced), sentence.characters.size(),
                  marked_differences(sentence.characters, produced).c_str());
    }
  }
}

bool prepare_environment(const std::filesystem::path& scratch) {
  const std::filesystem::path home = scratch / "home";
  const std::filesystem::path runtime = scratch / "run";
  std::error_code error;
  std::filesystem::create_directories(home, error);
  if (error || ::mkdir(runtime.c_str(), 0700) != 0) return false;
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("KEP_RUNTIME_DIR", runtime.c_str(), 1);
  ::setenv("KEP_ROOT", KEP_STAGE_ROOT, 1);
  return true;
}

// The converters in the order they are reported; one that cannot be opened is reported and
// makes the run fail.
using Opener = std::unique_ptr<Converter> (*)(const std::filesystem::path& scratch, std::string* error);
struct Candidate {
  const char* name;
  Opener open;
};

const Candidate kConverters[] = {
    {"service", [](const std::filesystem::path&, std::string* error) {
       return open_service_converter(KEP_SENTENCE_PROGRAM, error);
     }},
    {"engine", [](const std::filesystem::path&, std::string* error) { return open_engine_converter(error); }},
#ifdef KEP_HAVE_RIME
    {"librime pinyin_simp", [](const std::filesystem::path& scratch, std::string* error) {
       return open_rime_converter(scratch / "rime", error);
     }},
#endif
#ifdef KEP_HAVE_LIBPINYIN
    {"libpinyin", [](const std::filesystem::path& scratch, std::string* error) {
       std::filesystem::create_directories(scratch / "libpinyin");
       return open_libpinyin_converter(scratch / "libpinyin", error);
     }},
#endif
};

}  // namespace

int main(int argc, char** argv) {
  bool verbose = false;
  const char* only = nullptr;  // one converter's name, for quick comparisons while tuning
  std::filesystem::path devset = KEP_SENTENCE_DEVSET;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else if (argv[i][0] == '-') {
      std::fprintf(stderr, "usage: sentence_accuracy [--verbose] [--only CONVERTER] [devset.txt]\n");
      return 2;
    } else {
      devset = argv[i];
    }
  }
  std::string error;
  const std::optional<std::vector<std::string>> texts = read_sentences(devset, &error);
  if (!texts) {
    std::fprintf(stderr, "sentence_accuracy: %s\n", error.c_str());
    return 1;
  }
  ScratchFolder scratch;
  if (scratch.path().empty() || !prepare_environment(scratch.path())) {
    std::fprintf(stderr, "sentence_accuracy: cannot make a scratch folder\n");
    return 1;
  }
  if (!kep_session::start_engine_host(&error)) {
    std::fprintf(stderr, "sentence_accuracy: %s\n", error.c_str());
    return 1;
  }

  std::vector<Sentence> sentences;
  std::size_t unread = 0;
  for (const std::string& text : *texts) {
    std::optional<std::vector<std::string>> pieces = engine_pieces(text);
    std::vector<std::string> characters = utf8_characters(text);
    if (!pieces || pieces->size() != characters.size()) {
      ++unread;
      if (verbose) std::printf("no pinyin: %s\n", text.c_str());
      continue;
    }
    sentences.push_back({text, std::move(characters), std::move(*pieces)});
  }
  if (unread > 0) std::printf("%zu sentences left out: the engine has no reading for them\n", unread);
  if (sentences.empty()) {
    std::fprintf(stderr, "sentence_accuracy: no sentence of %s has a reading\n", devset.c_str());
    kep_session::stop_engine_host();
    return 1;
  }

  int status = 0;
  std::vector<Result> results;
  for (const Candidate& candidate : kConverters) {
    if (only != nullptr && std::strcmp(only, candidate.name) != 0) continue;
    std::unique_ptr<Converter> converter = candidate.open(scratch.path(), &error);
    if (!converter) {
      std::printf("%s: not run: %s\n", candidate.name, error.c_str());
      status = 1;
      continue;
    }
    results.push_back(run(*converter, sentences));
  }
  if (verbose) print_differences(sentences, results);
  for (const Result& result : results) print_result(result);
  std::fflush(stdout);
  kep_session::stop_engine_host();
  return status;
}
