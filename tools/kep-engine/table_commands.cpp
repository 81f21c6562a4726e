#include "table_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/query/candidate_freq.h"
#include "CoreSource/query/pyquery.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/start/startup.h"
#include "CoreSource/tables/hzinfo.h"
#include "CoreSource/tables/pinyin_code.h"
#include "CoreSource/tables/pytable.h"

namespace {

std::string log_path() {
  const char* folder = ime_data_folder_quiet();
  return folder != nullptr ? std::string(folder) + "/ime.log" : std::string();
}

long long file_size(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

// Starts the engine as a host would; on failure says where its log is.
bool start_engine() {
  if (ime_init() == 0) return true;
  std::fprintf(stderr, "kep-engine: the engine did not start; see %s\n", log_path().c_str());
  return false;
}

std::string tone_text(std::uint8_t mask) {
  if (mask == 15) return "any";
  std::string text;
  for (int tone = 1; tone <= 4; ++tone) {
    if (mask & (1 << (tone - 1))) text += std::to_string(tone);
  }
  return text.empty() ? "neutral" : text;
}

}  // namespace

int run_query_py(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "kep-engine: query-py takes one syllable or initial, a tone digit after it "
                         "when wanted\n");
    return 2;
  }
  std::string syllable = argv[0];
  int tone = 0;
  if (!syllable.empty() && syllable.back() >= '1' && syllable.back() <= '4') {
    tone = syllable.back() - '0';
    syllable.pop_back();
  }
  if (!start_engine()) return 1;
  ime_conversation_t* conversation = nullptr;
  if (ime_new_conversation(&conversation) != 0) {
    std::fprintf(stderr, "kep-engine: out of memory\n");
    return 1;
  }
  // The query a first syllable gets while typing: fuzzy variants, learned counts, the order of
  // the result lists.
  int found = ime_query_py_list(conversation, tone, syllable.c_str(), IME_LIST_HANZI);
  if (found <= 0 && !ime_is_valid_py(syllable.c_str(), syllable.size(), nullptr) &&
      !ime_is_sm(syllable.c_str(), syllable.size())) {
    std::fprintf(stderr, "kep-engine: \"%s\" is no syllable or initial of the pinyin table\n",
                 syllable.c_str());
    ime_free_conversation(&conversation);
    return 1;
  }
  ime_qrdb_sort(conversation, IME_LIST_HANZI);
  for (int i = 0; i < ime_qrdb_count(conversation, IME_LIST_HANZI); ++i) {
    ime_query_result_t candidate{};
    if (ime_qrdb_get(conversation, IME_LIST_HANZI, i, &candidate) != 0) continue;
    char spelled[8] = {};
    ime_compose_py(candidate.sm[0], candidate.ym[0], spelled);
    ime_qrdb_entry_t* entry = nullptr;
    ime_qrdb_get_lazy(conversation, IME_LIST_HANZI, i, &entry);
    std::printf("%s\t%s\ttones %s\tfrequency %u\ttraditional %s\tlearned %u\n",
                reinterpret_cast<const char*>(candidate.hz), spelled,
                tone_text(candidate.tone[0]).c_str(), candidate.freq,
                reinterpret_cast<const char*>(candidate.thz), ime_get_hzfreq(entry));
  }
  ime_free_conversation(&conversation);
  return 0;
}

int run_hz(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "kep-engine: hz takes the hanzi to look up\n");
    return 2;
  }
  if (!start_engine()) return 1;
  std::string text = argv[0];
  int missing = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = 1;
    auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0xF0) length = 4;
    else if (lead >= 0xE0) length = 3;
    else if (lead >= 0xC0) length = 2;
    std::string hanzi = text.substr(at, length);
    at += length;
    QAHzInfoEntry entry;
    if (QAHzInfoLookup(ime_hzdb, hanzi, &entry) != 0) {
      std::printf("%s: not in the hanzi information file\n", hanzi.c_str());
      ++missing;
      continue;
    }
    std::string readings;
    for (const std::string& reading : entry.readings) readings += " " + reading;
    const char* set = entry.gb_set == '1' ? "GB2312" : entry.gb_set == 'K' ? "GBK" : "beyond GBK";
    std::printf("%s:%s\ttraditional %s\t%s\n", hanzi.c_str(), readings.c_str(),
                entry.traditional.empty() ? "-" : entry.traditional.c_str(), set);
  }
  return missing == 0 ? 0 : 1;
}

int run_init(int argc, char**) {
  if (argc != 0) {
    std::fprintf(stderr, "kep-engine: init takes no arguments\n");
    return 2;
  }
  // ime_init logs into ime.log in the data folder; show what this start added to it.
  ime_make_data_folder();
  std::string path = log_path();
  long long before = file_size(path);
  int result = ime_init();
  std::ifstream log(path, std::ios::binary);
  if (file_size(path) >= before) log.seekg(before);
  std::string line;
  while (std::getline(log, line)) std::printf("%s\n", line.c_str());
  std::printf("ime_init() = %d\n", result);
  return result == 0 ? 0 : 1;
}
