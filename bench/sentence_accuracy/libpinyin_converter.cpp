#include <pinyin.h>

#include "peer_converters.h"

namespace sentence_accuracy {

namespace {

class LibpinyinConverter : public Converter {
 public:
  LibpinyinConverter(pinyin_context_t* context, pinyin_instance_t* instance)
      : context_(context), instance_(instance) {}
  ~LibpinyinConverter() override {
    pinyin_free_instance(instance_);
    pinyin_fini(context_);
  }
  LibpinyinConverter(const LibpinyinConverter&) = delete;
  LibpinyinConverter& operator=(const LibpinyinConverter&) = delete;

  const char* name() const override { return "libpinyin"; }

  std::string convert(const std::vector<std::string>& pieces) override {
    return converted_by_runs(pieces, [this](const std::vector<std::string>& syllables) { return sentence(syllables); });
  }

 private:
  std::string sentence(const std::vector<std::string>& syllables) {
    pinyin_reset(instance_);
    pinyin_parse_more_full_pinyins(instance_, typed_keys(syllables).c_str());
    std::string first;
    if (pinyin_guess_sentence(instance_)) {
      char* sentence = nullptr;
      if (pinyin_get_sentence(instance_, 0, &sentence) && sentence != nullptr) first = sentence;
      g_free(sentence);
    }
    pinyin_reset(instance_);
    return first;
  }

  pinyin_context_t* context_;
  pinyin_instance_t* instance_;
};

}  // namespace

std::unique_ptr<Converter> open_libpinyin_converter(const std::filesystem::path& user_folder,
                                                    std::string* error) {
  pinyin_context_t* context = pinyin_init(KEP_LIBPINYIN_DATA, user_folder.c_str());
  if (context == nullptr) {
    *error = std::string("libpinyin found no data in ") + KEP_LIBPINYIN_DATA + " (libpinyin-data)";
    return nullptr;
  }
  pinyin_set_options(context, IS_PINYIN | USE_DIVIDED_TABLE | USE_RESPLIT_TABLE);
  pinyin_instance_t* instance = pinyin_alloc_instance(context);
  if (instance == nullptr) {
    pinyin_fini(context);
    *error = "libpinyin allocated no instance";
    return nullptr;
  }
  return std::make_unique<LibpinyinConverter>(context, instance);
}

}  // namespace sentence_accuracy

// libpinyin leaves the Berkeley DB handles it creates in pinyin_init allocated after pinyin_fini.
// The sanitizer's quick unwinding stops inside libdb, so those leaks are matched by that
// library; the engine's own use of it is leak-checked by its tests.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdb-*.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
