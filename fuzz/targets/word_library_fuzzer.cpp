// The sentence service's word libraries: the input's two parts are an index file and a data
// file, installed as the main libraries of two and three syllables, the two-initial index and
// the whole-input library of two syllables; sentences, abbreviations among them, are then
// converted over them.
#include <cstdlib>
#include <cstring>
#include <string>

#include "CoreSource/base/tablefile.h"
#include "fuzz/fixtures/sentence_fixture.h"
#include "fuzz/fuzz_support.h"
#include "sentenceparser/core/convert.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/word_cache.h"

namespace {

namespace fs = std::filesystem;

fuzz::TempDir* libraries;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::use_scratch_environment();
  // "ni" 你泥, "hao" 好号, "zhong" 中, "guo" 国过, "ren" 人, "wo" 我, "men" 们.
  fuzz::TempFile table(fuzz::sentence_character_table(
      {"ni\xC4\xE3\xC4\xE0", "hao\xBA\xC3\xBA\xC5", "zhong\xD6\xD0", "guo\xB9\xFA\xB9\xFD",
       "ren\xC8\xCB", "wo\xCE\xD2", "men\xC3\xC7"}));
  if (sentence::LoadDanFrom(table.path().c_str()) != 1) std::abort();
  libraries = new fuzz::TempDir();
  for (const char* folder : {"main", "mpp"}) fs::create_directories(libraries->path() / folder);
  std::snprintf(sentence::myFullPath, sizeof sentence::myFullPath, "%s/",
                libraries->path().c_str());
  sentence::InputProperty.DataPath = sentence::myFullPath;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parts = fuzz::split_parts(fuzz::as_view(data, size), 2);
  const fs::path& root = libraries->path();
  for (const char* index : {"main/mgrm0.inx", "main/mgrm1.inx", "main/mgrm0j.inx", "mpp/w2.inx"}) {
    fuzz::write_file(root / index, parts[0]);
  }
  for (const char* records : {"main/mgrm0.dat", "main/mgrm1.dat", "mpp/w2.dat"}) {
    fuzz::write_file(root / records, parts[1]);
  }
  // Files and answers of the previous input must not be served again.
  CloseCachedFilePool();
  InitCachedFilePool();
  sentence::FreeCache();
  sentence::FreeJPCache();
  sentence::incache_init();
  sentence::jpcache_init();

  for (const char* pinyin : {"ni_hao", "wo_men_zhong_guo_ren", "zhong_guo", "Z_G", "W_M_Z_G_R", "ni_hao_3_ren"}) {
    char input[64];
    std::snprintf(input, sizeof input, "%s", pinyin);
    char output[1024] = {};
    sentence::ConvertStream(input, output, 0);
  }
  return 0;
}
