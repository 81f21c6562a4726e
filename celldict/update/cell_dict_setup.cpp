#include "celldict/update/cell_dict_setup.h"

#include <mutex>
#include <optional>
#include <system_error>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/tables/pytable.h"
#include "celldict/update/update_log.h"
#include "platform/files.h"

namespace celldict::update {

namespace fs = std::filesystem;

namespace {

std::unordered_map<std::string, std::int64_t>& loaded_hanzi() {
  static std::unordered_map<std::string, std::int64_t> hanzi;
  return hanzi;
}

bool load_hanzi_dictionary() {
  char path[512];
  if (ime_get_resource_filename("pinyin.db", path) != 0) {
    updlog("Load hanzi dictionary failed!");
    return false;
  }
  updlog("HZ path:%s", path);
  std::error_code error;
  std::optional<platform::files::MappedFile> table = platform::files::MappedFile::open(path, false, error);
  if (!table) {
    updlog("Load hanzi dictionary failed! (%s)", error.message().c_str());
    return false;
  }
  std::string why;
  std::unordered_map<std::string, std::int64_t> hanzi;
  if (!ime_py_read_hanzi_index(table->data(), table->size(), &hanzi, &why)) {
    updlog("Load hanzi dictionary failed! (%s: %s)", path, why.c_str());
    return false;
  }
  updlog("Total %zu hanzi loaded.", hanzi.size());
  loaded_hanzi() = std::move(hanzi);
  return true;
}

int set_up() {
  if (ime_make_data_folder() != 0) {
    updlog("The data folder cannot be used: %s", ime_data_folder_error().c_str());
    return -1;
  }
  const fs::path folder = dictionary_folder();
  std::error_code error;
  if (!platform::files::make_directories(folder, 0700, error)) {
    updlog("Create '%s' failed: %s", folder.c_str(), error.message().c_str());
    return -1;
  }
  ime_test_platform();
  if (ime_set_default_resources() != 0) {
    updlog("The engine's resource folder cannot be named.");
    return -1;
  }
  if (ime_load_py() != 0) {
    updlog("Load the pinyin tables failed!");
    return -1;
  }
  return load_hanzi_dictionary() ? 0 : -1;
}

}  // namespace

fs::path dictionary_folder() {
  const std::string& data = QAGetAppSupportPathString();
  return data.empty() ? fs::path() : fs::path(data) / "Dictionary";
}

int Initialize() {
  static std::once_flag once;
  static int result = -1;
  std::call_once(once, [] { result = set_up(); });
  return result;
}

const std::unordered_map<std::string, std::int64_t>& hanzi_index() { return loaded_hanzi(); }

}  // namespace celldict::update
