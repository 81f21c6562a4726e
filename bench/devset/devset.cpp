#include "devset.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace devset {

namespace {

// UTF-8 characters of a text (well-formed input assumed: the set and the engines' output).
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> chars;
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    chars.push_back(text.substr(at, length));
    at += length;
  }
  return chars;
}

std::size_t edit_distance(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string Phrase::letters() const {
  std::string typed;
  for (const std::string& syllable : syllables) typed += syllable;
  return typed;
}

std::optional<std::vector<Phrase>> read_devset(const std::filesystem::path& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path.string();
    return std::nullopt;
  }
  std::vector<Phrase> phrases;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    Phrase phrase;
    phrase.text = line.substr(0, tab);
    std::istringstream syllables(line.substr(tab + 1));
    for (std::string syllable; syllables >> syllable;) phrase.syllables.push_back(syllable);
    if (characters(phrase.text).size() != phrase.syllables.size()) {
      *error = "a phrase whose syllables do not match its characters: " + line;
      return std::nullopt;
    }
    phrases.push_back(std::move(phrase));
  }
  if (phrases.empty()) {
    *error = path.string() + " holds no phrases";
    return std::nullopt;
  }
  return phrases;
}

double Score::character_accuracy() const {
  if (characters == 0) return 0;
  return 1.0 - static_cast<double>(std::min(character_errors, characters)) / static_cast<double>(characters);
}

Score score_devset(const std::vector<Phrase>& phrases,
                   const std::function<std::string(const Phrase&)>& convert, std::FILE* misses) {
  Score score;
  for (const Phrase& phrase : phrases) {
    const std::string result = convert(phrase);
    const std::vector<std::string> expected = characters(phrase.text);
    ++score.phrases;
    score.characters += expected.size();
    score.character_errors += edit_distance(expected, characters(result));
    if (result == phrase.text) {
      ++score.exact;
    } else if (misses != nullptr) {
      std::fprintf(misses, "%s\t%s\t%s\n", phrase.text.c_str(), result.c_str(), phrase.letters().c_str());
    }
  }
  return score;
}

void print_score(const char* name, const Score& score) {
  std::printf("%s: %zu phrases, %zu characters; character accuracy %.2f%%, exact phrases %zu (%.1f%%)\n",
              name, score.phrases, score.characters, 100.0 * score.character_accuracy(), score.exact,
              score.phrases == 0 ? 0.0 : 100.0 * static_cast<double>(score.exact) / static_cast<double>(score.phrases));
}

std::optional<Request> read_request(int argc, char** argv, const char* program) {
  Request request;
  std::filesystem::path path = std::filesystem::path(KEP_DEVSET_DIR) / "manpages.tsv";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--misses") == 0) {
      request.misses = stderr;
    } else {
      path = argv[i];
    }
  }
  std::string error;
  std::optional<std::vector<Phrase>> phrases = read_devset(path, &error);
  if (!phrases) {
    std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    return std::nullopt;
  }
  request.phrases = std::move(*phrases);
  return request;
}

ScratchFolder::ScratchFolder() {
  char pattern[] = "/tmp/kep-devset-XXXXXX";
  if (::mkdtemp(pattern) != nullptr) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace devset
