// Two open pinyin libraries, for comparison: each built only when the build found it
// (KEP_HAVE_RIME, KEP_HAVE_LIBPINYIN). Both type the syllables as a user would and take the
// first sentence; neither learns from it. Their user data go to `user_folder`, a scratch folder.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "converter.h"

namespace sentence_accuracy {

#ifdef KEP_HAVE_RIME
// librime with the schema pinyin_simp, deployed into `user_folder` first.
std::unique_ptr<Converter> open_rime_converter(const std::filesystem::path& user_folder,
                                               std::string* error);
#endif

#ifdef KEP_HAVE_LIBPINYIN
// libpinyin's full-pinyin parser and its sentence guess.
std::unique_ptr<Converter> open_libpinyin_converter(const std::filesystem::path& user_folder,
                                                    std::string* error);
#endif

}  // namespace sentence_accuracy
