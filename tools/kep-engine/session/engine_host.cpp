#include "engine_host.h"

#include <system_error>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/start/startup.h"
#include "CoreSource/tables/suggestion.h"
#include "platform/plist.h"

namespace kep_session {
namespace {

// The settings the engine reads; it keeps a pointer to them while it runs.
platform::plist::Dictionary settings;

std::string data_log() {
  const char* folder = ime_data_folder_quiet();
  return folder != nullptr ? std::string(folder) + "/ime.log" : std::string("ime.log");
}

void load_settings() {
  char path[512];
  settings = {};
  if (ime_get_resource_filename("imkkep.plist", path) == 0) {
    std::error_code error;
    if (auto value = platform::plist::read_file(path, error)) {
      if (const auto* dictionary = value->as_dictionary()) settings = *dictionary;
    }
  }
  // Missing keys read as their defaults.
  kIMEConfigureDictionary = &settings;
}

}  // namespace

bool start_engine_host(std::string* error) {
  if (ime_set_default_resources() != 0) {
    if (error) *error = "the engine's resource folder cannot be named";
    return false;
  }
  if (ime_data_folder_quiet() == nullptr) {
    if (error) *error = ime_data_folder_error();
    return false;
  }
  if (ime_make_data_folder() != 0) {
    if (error) *error = std::string("cannot create the data folder ") + QAGetAppSupportPath();
    return false;
  }
  load_settings();
  if (ime_init() != 0) {
    if (error) *error = "the engine did not start; see " + data_log();
    return false;
  }
  if (ime_load_phrase() != 0) {
    if (error) *error = "the system dictionary did not open; see " + data_log();
    ime_exit();
    return false;
  }
  ime_load_suggestion();
  return true;
}

void stop_engine_host() {
  ime_exit();  // writes the user phrases and the chosen suggestions
  kIMEConfigureDictionary = nullptr;
}

}  // namespace kep_session
