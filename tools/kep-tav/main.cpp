// kep-tav: shows what the sentence service's word libraries hold for a pinyin or an abbreviation,
// record by record, with the word the service's lookup picks.
//
//   kep-tav [--tav DIR] [--pydan FILE] query main zhong_guo
//   kep-tav [--tav DIR] [--pydan FILE] query whole yi_xin_yi_yi
//   kep-tav [--tav DIR] [--pydan FILE] query abbr Z_G
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "library_query.h"
#include "platform/files.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kStagedPydan =
    "/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPSentenceParser.app/Contents/Resources/"
    "pydan.tab";

void usage() {
  std::fprintf(stderr,
               "usage: kep-tav [--tav DIR] [--pydan FILE] query main|whole|abbr TEXT\n"
               "TEXT is syllables joined by '_' (zhong_guo), or initials (Z_G or ZG) for abbr.\n"
               "DIR and FILE default to the word libraries and pydan.tab of the root.\n");
}

std::vector<std::string> syllables_of(std::string_view text) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (c == '_') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string initials_of(std::string_view text) {
  std::string initials;
  for (char c : text) {
    if (c == '_') continue;
    initials += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return initials;
}

void print(const char* library, std::string_view text, const kep_tav::QueryResult& result) {
  std::printf("%s %.*s: %zu record%s\n", library, static_cast<int>(text.size()), text.data(), result.records.size(),
              result.records.size() == 1 ? "" : "s");
  for (const kep_tav::RecordView& r : result.records) {
    std::printf("  %s", r.text.c_str());
    if (!r.pinyin.empty()) std::printf("  %s", r.pinyin.c_str());
    if (r.weight_byte >= 0) {
      std::printf("  weight byte %d (%d)  abbreviation byte %d (%d)  flags 0x%02x  adjusted %d", r.weight_byte,
                  r.weight, r.abbreviation_byte, r.abbreviation_weight, r.flags, r.adjusted);
    }
    std::printf("\n");
  }
  if (result.picked.empty()) {
    std::printf("lookup: no word\n");
  } else {
    std::printf("lookup: %s weight %d\n", result.picked.c_str(), result.picked_weight);
  }
}

}  // namespace

int main(int argc, char** argv) {
  fs::path tav = platform::files::under_root("/Library/TAV");
  fs::path pydan = platform::files::under_root(kStagedPydan);
  int at = 1;
  for (; at + 1 < argc; at += 2) {
    const std::string_view option = argv[at];
    if (option == "--tav") tav = argv[at + 1];
    else if (option == "--pydan") pydan = argv[at + 1];
    else break;
  }
  if (argc - at != 3 || std::string_view(argv[at]) != "query") {
    usage();
    return 2;
  }
  const std::string_view library = argv[at + 1];
  const std::string_view text = argv[at + 2];

  const std::string data_path = tav.string() + "/";
  if (data_path.size() >= sizeof sentence::myFullPath) {
    std::fprintf(stderr, "kep-tav: the library folder's path is too long\n");
    return 1;
  }
  std::strcpy(sentence::myFullPath, data_path.c_str());
  sentence::InputProperty.DataPath = sentence::myFullPath;
  if (sentence::LoadDanFrom(pydan.c_str()) != 1) {
    std::fprintf(stderr, "kep-tav: cannot read %s\n", pydan.c_str());
    return 1;
  }

  kep_tav::QueryResult result;
  std::string error;
  bool asked = false;
  if (library == "main") asked = kep_tav::query_main(syllables_of(text), &result, &error);
  else if (library == "whole") asked = kep_tav::query_whole(syllables_of(text), &result, &error);
  else if (library == "abbr") asked = kep_tav::query_abbreviation(initials_of(text), &result, &error);
  else {
    usage();
    return 2;
  }
  if (!asked) {
    std::fprintf(stderr, "kep-tav: %s\n", error.c_str());
    return 1;
  }
  print(std::string(library).c_str(), text, result);
  sentence::FreeDan();
  return 0;
}
