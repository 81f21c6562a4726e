// The typing development set (manpages.tsv, made by make_devset.mjs) and its score: each
// phrase's pinyin is typed as one run of letters and the first candidate of the whole input is
// compared with the phrase, character by character (edit distance) and as a whole.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace devset {

struct Phrase {
  std::string text;                    // UTF-8
  std::vector<std::string> syllables;  // toneless, v for ü
  std::string letters() const;         // the syllables run together, as typed
};

std::optional<std::vector<Phrase>> read_devset(const std::filesystem::path& path, std::string* error);

struct Score {
  std::size_t phrases = 0;
  std::size_t exact = 0;
  std::size_t characters = 0;
  std::size_t character_errors = 0;  // edit distance summed over the phrases
  double character_accuracy() const;
};

// Types every phrase with `convert` (letters -> the first candidate of the whole input) and
// scores the results; with `misses` set, each phrase converted wrongly is written to it as
// "text<TAB>result<TAB>letters".
Score score_devset(const std::vector<Phrase>& phrases,
                   const std::function<std::string(const Phrase&)>& convert, std::FILE* misses);

// "<name>: N phrases, N characters; character accuracy X%, exact phrases N (X%)".
void print_score(const char* name, const Score& score);

// A scorer's command line, "[--misses] [devset.tsv]": the development set named (else the one
// beside the sources) and where to list the misses (standard error with --misses, else
// nowhere). nullopt, after saying why on standard error, when the set cannot be read.
struct Request {
  std::vector<Phrase> phrases;
  std::FILE* misses = nullptr;
};
std::optional<Request> read_request(int argc, char** argv, const char* program);

// An empty folder under /tmp for the engines' user data, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }  // empty when none could be made

 private:
  std::filesystem::path path_;
};

}  // namespace devset
