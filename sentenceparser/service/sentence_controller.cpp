#include "sentenceparser/service/sentence_controller.h"

#include <cstring>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/base/tablefile.h"
#include "platform/bundle.h"
#include "platform/files.h"
#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/learned_words.h"
#include "sentenceparser/service/qcp_service.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstalledResources =
    "/Library/Input Methods/IMKKEP.app/Contents/SharedSupport/IMKKEPSentenceParser.app/Contents/"
    "Resources";

bool engine_data_loaded = false;

// Copies `text` into a 512-byte engine text; false when it does not fit.
bool copy_path(const std::string& text, char (&out)[512]) {
  if (text.size() >= sizeof out) return false;
  std::memset(out, 0, sizeof out);
  std::memcpy(out, text.data(), text.size());
  return true;
}

void set_input_property() {
  std::string data_path = platform::files::under_root(kSentenceDataPath).string();
  if (data_path.empty() || data_path.back() != '/') data_path += '/';
  if (!copy_path(data_path, sentence::myFullPath)) {
    IME_ERROR("The word-library path %s is too long.", data_path.c_str());
    sentence::myFullPath[0] = '\0';
  }
  sentence::InputProperty = sentence::InputPropertyRecord{};
  sentence::InputProperty.DataPath = sentence::myFullPath;
  sentence::InputProperty.StripUserMarks = 1;
  sentence::InputProperty.EnglishUpperOnly = 0;
  sentence::InputProperty.MarkUnresolved = 1;
  sentence::InputProperty.ReportAsHandled = 0;
  sentence::InputProperty.SpellSwitch = 1;
  sentence::InputProperty.UseLearnedWords = 1;
  sentence::InputProperty.ContextListSwitch = 0;
  sentence::InputProperty.reserved_int = 2;
}

void set_resource_lookup() {
  ime_bundle_name = kSentenceBundleIdentifier;
  const std::string resources = sentence_resources_folder().string();
  if (!copy_path(resources, ime_default_res)) {
    IME_ERROR("The resource path %s is too long.", resources.c_str());
    ime_default_res[0] = '\0';
  }
}

}  // namespace

fs::path sentence_resources_folder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (!error && executable.parent_path().filename() == "MacOS") {
    const fs::path own = executable.parent_path().parent_path() / "Resources";
    if (fs::is_directory(own, error)) return own;
  }
  if (auto bundle = platform::Bundle::find(kSentenceBundleIdentifier)) {
    return bundle->resources_path();
  }
  return platform::files::under_root(kInstalledResources);
}

bool SentenceParserController::awakeFromNib() {
  set_input_property();
  set_resource_lookup();
  if (QCPInitialize(loop_) != 0) return false;
  InitCachedFilePool();
  if (sentence::InitData() != 0) {
    IME_ERROR("The learned-word folder could not be prepared; learned words start empty.");
  }
  sentence::AllocUserLib(0);
  engine_data_loaded = true;
  IME_INFO("Serving %s; word libraries in %s.", kQCPServerPortName, sentence::myFullPath);
  return true;
}

void SentenceParserController::systemShutdown() {
  QCPStopAccepting();
  IME_INFO("Save auto ci...");
  if (engine_data_loaded) sentence::FreeUserLib(1);
  loop_.stop();
}

void QCPFinalize() {
  QCPShutdown();
  if (!engine_data_loaded) return;
  engine_data_loaded = false;
  sentence::FreeUserLib(0);
  sentence::FreeData();
  CloseCachedFilePool();
}
