// The engine-wide input scheme: full pinyin, a double-pinyin scheme or a user code table.
#include <charconv>
#include <fstream>
#include <string>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/base/datafolder.h"
#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/imesp.h"
#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"
#include "IMKKEP/companions/KEPMessageReceive.h"
#include "IMKKEP/base/server_log.h"

namespace imkkep {
namespace {

constexpr int kFullPinyin = 0;
constexpr int kDoublePinyin = 1;
constexpr int kCodeTable = 2;
constexpr std::size_t kSchemeLineBytes = 511;
constexpr std::size_t kSchemeFields = 5;
constexpr int kLongestCode = 63;
constexpr std::size_t kResourcePathBytes = 512;

// Leading decimal digits as atoi reads them; 0 for an empty field.
int decimal(std::string_view field) {
  int value = 0;
  std::from_chars(field.data(), field.data() + field.size(), value);
  return value;
}

std::vector<std::string_view> split_keeping_empty(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t end = line.find(separator);
    fields.push_back(line.substr(0, end));
    if (end == std::string_view::npos) return fields;
    line.remove_prefix(end + 1);
  }
}

std::string first_line(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line)) return {};
  if (line.size() > kSchemeLineBytes) line.resize(kSchemeLineBytes);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool load_double_pinyin() {
  const char* spc = ime_config_get_string("SPC", nullptr);
  if (spc == nullptr) {
    KEPLogAlways("Get the double pinyin scheme failed!");
    return false;
  }
  const std::string name = spc;
  KEPLog("The SPC is:[%s]", name.c_str());
  if (!IsPlainSchemeName(name)) {
    KEPLogAlways("The double pinyin scheme '%s' is not a plain file name; refused.", name.c_str());
    return false;
  }
  char path[kResourcePathBytes] = {};
  if (ime_get_resource_filename(name.c_str(), path) != 0) {
    KEPLogAlways("The double pinyin scheme '%s' is not found.", name.c_str());
    return false;
  }
  KEPLog("Loading double pinyin from '%s'", path);
  if (ime_load_sp_config(path) != 0) {
    KEPLogAlways("Load double pinyin from '%s' failed!", path);
    return false;
  }
  return true;
}

// false when the table cannot be used; true also when no table is named, which keeps the one
// opened last.
bool open_code_table() {
  const char* scheme = ime_config_get_string("CodeTableScheme", nullptr);
  if (scheme == nullptr || scheme[0] == '\0') return true;
  const std::string name = scheme;
  const char* data_folder = QAGetAppSupportPath();
  if (!IsPlainSchemeName(name)) {
    KEPLogAlways("The code table '%s' is not a plain file name; refused.", name.c_str());
    return false;
  }
  if (data_folder == nullptr) return false;  // the engine said why
  const std::string path = std::string(data_folder) + "/PlugCodeTable/" + name;
  const std::string line = first_line(path);
  KEPLog("max len=%s", std::string(split_keeping_empty(line, '|').front()).c_str());
  const std::optional<PlugSchemeLine> options = ParsePlugSchemeLine(line);
  if (!options) {
    KEPLogAlways("The code table '%s' is missing or its first line holds no valid options.", path.c_str());
    return false;
  }
  ime_plug_auto_fill = options->auto_fill;
  ime_plug_show_left = options->show_left;
  ime_plug_query_type = options->query_type;
  return ime_plug_open(path.c_str(), options->any_char, options->max_len) == 0;
}

}  // namespace

bool IsPlainSchemeName(std::string_view name) {
  return !name.empty() && name.find('/') == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

std::optional<PlugSchemeLine> ParsePlugSchemeLine(std::string_view line) {
  const std::vector<std::string_view> fields = split_keeping_empty(line, '|');
  if (fields.size() < kSchemeFields) return std::nullopt;
  PlugSchemeLine options;
  options.max_len = decimal(fields[0]);
  if (options.max_len < 1 || options.max_len > kLongestCode) return std::nullopt;
  options.any_char = fields[1].empty() ? '\0' : fields[1].front();
  options.auto_fill = decimal(fields[2]);
  options.show_left = decimal(fields[3]);
  options.query_type = decimal(fields[4]);
  return options;
}

int KEPSetPinyinMode(KEPInputController* controller) {
  for (int tag : {kMenuPinyin, kMenuDoublePinyin, kMenuPlug}) KEPSetMenuItemOn(tag, false);
  if (ime_mode == kDoublePinyin && !load_double_pinyin()) ime_mode = kFullPinyin;
  if (ime_mode == kCodeTable && !open_code_table()) ime_mode = kFullPinyin;
  if (ime_mode != kDoublePinyin && ime_mode != kCodeTable) ime_mode = kFullPinyin;
  KEPSetMenuItemOn(ime_mode == kDoublePinyin ? kMenuDoublePinyin
                   : ime_mode == kCodeTable  ? kMenuPlug
                                             : kMenuPinyin,
                   true);
  // Fallbacks too: the window must show the scheme the engine really uses.
  KEPSendActiveMessage(controller);
  return 0;
}

}  // namespace imkkep
