// Scores the development set on librime (schema pinyin_simp) and libpinyin, each typing a
// phrase's letters in one run and taking the first candidate of the whole input, and learning
// nothing. For comparison only: no part of the build or the tests.
//   build-rel/bin/devset_peers [--misses] [devset.tsv]
#include <pinyin.h>
#include <rime_api.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "devset.h"

namespace {

devset::Score score_rime(const std::vector<devset::Phrase>& phrases, const char* user_folder, std::FILE* misses) {
  RimeApi* rime = rime_get_api();
  RIME_STRUCT(RimeTraits, traits);
  traits.shared_data_dir = "/usr/share/rime-data";
  traits.user_data_dir = user_folder;
  traits.app_name = "rime.kep-devset";
  rime->setup(&traits);
  rime->initialize(&traits);
  RimeSessionId session = rime->create_session();
  rime->select_schema(session, "pinyin_simp");
  auto convert = [&](const devset::Phrase& phrase) {
    rime->clear_composition(session);
    rime->simulate_key_sequence(session, phrase.letters().c_str());
    std::string first;
    RIME_STRUCT(RimeContext, context);
    if (rime->get_context(session, &context)) {
      if (context.menu.num_candidates > 0) first = context.menu.candidates[0].text;
      rime->free_context(&context);
    }
    rime->clear_composition(session);
    return first;
  };
  devset::Score score = devset::score_devset(phrases, convert, misses);
  rime->destroy_session(session);
  rime->finalize();
  return score;
}

devset::Score score_libpinyin(const std::vector<devset::Phrase>& phrases, const char* user_folder,
                              std::FILE* misses) {
  pinyin_context_t* context = pinyin_init("/usr/lib/x86_64-linux-gnu/libpinyin/data", user_folder);
  pinyin_set_options(context, IS_PINYIN | USE_DIVIDED_TABLE | USE_RESPLIT_TABLE | DYNAMIC_ADJUST);
  pinyin_instance_t* instance = pinyin_alloc_instance(context);
  auto convert = [&](const devset::Phrase& phrase) {
    pinyin_reset(instance);
    pinyin_parse_more_full_pinyins(instance, phrase.letters().c_str());
    pinyin_guess_sentence(instance);
    std::string first;
    char* sentence = nullptr;
    if (pinyin_get_sentence(instance, 0, &sentence) && sentence != nullptr) first = sentence;
    g_free(sentence);
    return first;
  };
  devset::Score score = devset::score_devset(phrases, convert, misses);
  pinyin_free_instance(instance);
  pinyin_fini(context);
  return score;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<devset::Request> request = devset::read_request(argc, argv, "devset_peers");
  devset::ScratchFolder scratch;
  if (!request || scratch.path().empty()) return 1;
  const std::filesystem::path rime_folder = scratch.path() / "rime";
  const std::filesystem::path libpinyin_folder = scratch.path() / "libpinyin";
  std::filesystem::create_directories(rime_folder);
  std::filesystem::create_directories(libpinyin_folder);
  devset::print_score("librime pinyin_simp", score_rime(request->phrases, rime_folder.c_str(), request->misses));
  devset::print_score("libpinyin", score_libpinyin(request->phrases, libpinyin_folder.c_str(), request->misses));
  return 0;
}
