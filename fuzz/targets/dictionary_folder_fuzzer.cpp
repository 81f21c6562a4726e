// A dictionary folder as the engine opens it: the input is dict.info, dict.db and dict_idx.db.
// An opened folder is asked for a few spans of syllables and its words are loaded.
#include <cstdlib>

#include "CoreSource/dict/qdict.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kList = 3;

void query_words(ImeDict* dict) {
  static ime_conversation_t* conversation = nullptr;
  if (!conversation) {
    conversation = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
    if (!conversation) std::abort();
    ime_qrdb_init_all(conversation);
  }
  const char* syllables[] = {"zhong", "guo", "ren", "wo", "men"};
  for (int i = 0; i < 5; ++i) {
    std::snprintf(conversation->py[i], IME_SYLLABLE_BYTES, "%s", syllables[i]);
  }
  conversation->pynum = 4;
  int tones[IME_MAX_SYLLABLES];
  std::fill(std::begin(tones), std::end(tones), 15);
  for (int first = 0; first < 3; ++first) {
    ime_qrdb_reset(conversation, IME_QRDB_ALL);
    ime_current_pynum = conversation->pynum;
    ime_dict_query(dict, 3, conversation, tones, first, 4, kList);
    for (int i = 0; i < ime_qrdb_count(conversation, kList); ++i) {
      ime_qrdb_entry_t* entry = nullptr;
      if (ime_qrdb_get_lazy(conversation, kList, i, &entry) != 0 || !entry) continue;
      ime_query_result_t candidate{};
      ime_load_cz_lazy(entry, &candidate);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto parts = fuzz::split_parts(fuzz::as_view(data, size), 3);
  fuzz::TempDir dir;
  std::filesystem::path folder = dir.path() / "words.dict";
  std::filesystem::create_directory(folder);
  const char* names[] = {"dict.info", "dict.db", "dict_idx.db"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!fuzz::write_file(folder / names[i], parts[i])) return 0;
  }
  ImeDict* dict = ime_dict_open(folder.c_str(), IME_DICT_FREQ_NONE);
  if (!dict) return 0;
  query_words(dict);
  ime_dict_close(dict);
  return 0;
}
