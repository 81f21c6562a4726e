#include "engine_host.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/start/startup.h"
#include "CoreSource/tables/suggestion.h"
#include "CoreSource/user/imeuser2.h"
#include "platform/plist.h"

namespace kep_session {
namespace {

// The settings the engine reads; it keeps a pointer to them while it runs.
platform::plist::Dictionary settings;

std::string data_log() {
  const char* folder = ime_data_folder_quiet();
  return folder != nullptr ? std::string(folder) + "/ime.log" : std::string("ime.log");
}

// Whether a line could be appended to the log, so that pointing at it is any use.
bool log_writable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
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
    if (error) {
      const std::string log = data_log();
      *error = std::string("the engine did not start: ") + ime_init_failure() +
               (log_writable(log) ? " (see " + log + ")" : " (the log " + log + " cannot be written)");
    }
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

bool stop_engine_host(std::string* error) {
  // The user phrases are written here rather than left to ime_exit, so a failure that loses
  // them reaches the caller.
  const bool saved = ime_udb_close() == 0;
  if (!saved) {
    if (error) *error = "the learned phrases were not saved: " + ime_udb_write_error();
    ime_udb_free();  // ime_exit would only fail the same way again
  }
  ime_exit();  // writes the chosen suggestions
  kIMEConfigureDictionary = nullptr;
  return saved;
}

}  // namespace kep_session
