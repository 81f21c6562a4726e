#include "engine_converter.h"

#include <optional>

#include "CoreSource/base/config.h"
#include "platform/plist.h"
#include "session/typing_session.h"

namespace sentence_accuracy {

namespace {

class EngineConverter : public Converter {
 public:
  explicit EngineConverter(kep_session::TypingSession session)
      : session_(std::move(session)), engine_settings_(kIMEConfigureDictionary) {
    if (engine_settings_ != nullptr) settings_ = *engine_settings_;
    settings_.set("EnableTAV", false);
    kIMEConfigureDictionary = &settings_;
  }
  ~EngineConverter() override { kIMEConfigureDictionary = engine_settings_; }
  EngineConverter(const EngineConverter&) = delete;
  EngineConverter& operator=(const EngineConverter&) = delete;

  const char* name() const override { return "engine"; }

  std::string convert(const std::vector<std::string>& pieces) override {
    return converted_by_runs(pieces, [this](const std::vector<std::string>& syllables) { return sentence(syllables); });
  }

 private:
  std::string sentence(const std::vector<std::string>& syllables) {
    session_.cancel();
    kep_session::KeyOutcome last;
    for (char key : typed_keys(syllables)) last = session_.type({kep_session::KeyKind::Character, key});
    session_.cancel();
    return last.candidates.empty() ? std::string() : last.candidates.front();
  }

  kep_session::TypingSession session_;
  const platform::plist::Dictionary* engine_settings_;
  platform::plist::Dictionary settings_;
};

}  // namespace

std::unique_ptr<Converter> open_engine_converter(std::string* error) {
  std::optional<kep_session::TypingSession> session = kep_session::TypingSession::open(false);
  if (!session) {
    *error = "the engine opened no conversation";
    return nullptr;
  }
  return std::make_unique<EngineConverter>(std::move(*session));
}

}  // namespace sentence_accuracy
