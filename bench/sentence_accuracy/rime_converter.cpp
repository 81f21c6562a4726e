#include <rime_api.h>

#include <fstream>

#include "peer_converters.h"

namespace sentence_accuracy {

namespace {

constexpr const char* kSchema = "pinyin_simp";

class RimeConverter : public Converter {
 public:
  RimeConverter(RimeApi* rime, RimeSessionId session) : rime_(rime), session_(session) {}
  ~RimeConverter() override {
    rime_->destroy_session(session_);
    rime_->finalize();
  }
  RimeConverter(const RimeConverter&) = delete;
  RimeConverter& operator=(const RimeConverter&) = delete;

  const char* name() const override { return "librime pinyin_simp"; }

  std::string convert(const std::vector<std::string>& pieces) override {
    return converted_by_runs(pieces, [this](const std::vector<std::string>& syllables) { return sentence(syllables); });
  }

 private:
  std::string sentence(const std::vector<std::string>& syllables) {
    rime_->clear_composition(session_);
    rime_->simulate_key_sequence(session_, typed_keys(syllables).c_str());
    std::string first;
    RIME_STRUCT(RimeContext, context);
    if (rime_->get_context(session_, &context)) {
      if (context.menu.num_candidates > 0 && context.menu.candidates[0].text != nullptr) {
        first = context.menu.candidates[0].text;
      }
      rime_->free_context(&context);
    }
    // Cleared, not committed: nothing is learned.
    rime_->clear_composition(session_);
    return first;
  }

  RimeApi* rime_;
  RimeSessionId session_;
};

}  // namespace

std::unique_ptr<Converter> open_rime_converter(const std::filesystem::path& user_folder,
                                               std::string* error) {
  RimeApi* rime = rime_get_api();
  if (rime == nullptr) {
    *error = "librime gave no API";
    return nullptr;
  }
  std::filesystem::create_directories(user_folder);
  // Only the schema under test is deployed: building every shipped schema takes long.
  std::ofstream(user_folder / "default.custom.yaml")
      << "patch:\n  schema_list:\n    - schema: " << kSchema << "\n";
  const std::string user = user_folder.string();
  const std::string logs = (user_folder / "log").string();
  std::filesystem::create_directories(logs);
  RIME_STRUCT(RimeTraits, traits);
  traits.shared_data_dir = "/usr/share/rime-data";
  traits.user_data_dir = user.c_str();
  traits.log_dir = logs.c_str();
  traits.min_log_level = 2;  // errors only
  traits.distribution_name = "sentence_accuracy";
  traits.distribution_code_name = "sentence_accuracy";
  traits.distribution_version = "1";
  traits.app_name = "rime.sentence_accuracy";
  rime->setup(&traits);
  rime->initialize(&traits);
  // Deploys the schemas into the scratch user folder; the first run builds the dictionaries.
  if (rime->start_maintenance(True)) rime->join_maintenance_thread();
  const RimeSessionId session = rime->create_session();
  if (session == 0) {
    rime->finalize();
    *error = "librime opened no session";
    return nullptr;
  }
  if (!rime->select_schema(session, kSchema)) {
    rime->destroy_session(session);
    rime->finalize();
    *error = std::string("librime has no schema ") + kSchema + " (rime-data-pinyin-simp)";
    return nullptr;
  }
  return std::make_unique<RimeConverter>(rime, session);
}

}  // namespace sentence_accuracy
