#include "input_scheme.h"

#include <string_view>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/imesp.h"
#include "scheme_line.h"

namespace kep_session {
namespace {

// A scheme or table name names a file in a folder: no separators, no way out of the folder.
bool is_plain_name(std::string_view name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

bool select_double_pinyin(const std::string& name, std::string* error) {
  char path[512];
  const std::string file = name + ".spc";
  if (ime_get_resource_filename(file.c_str(), path) != 0 || ime_load_sp_config(path) != 0) {
    *error = "no double-pinyin scheme " + file + " among the engine's resources";
    return false;
  }
  ime_mode = 1;
  return true;
}

bool select_code_table(const std::string& name, std::string folder, std::string* error) {
  if (folder.empty()) {
    if (QAGetAppSupportPath() == nullptr) {
      *error = ime_data_folder_error();
      return false;
    }
    folder = std::string(QAGetAppSupportPath()) + "/PlugCodeTable";
  }
  const std::string pct = folder + "/" + name + ".pct";
  const std::optional<codetable::SchemeLine> scheme = codetable::ReadSchemeFile(pct);
  if (!scheme) {
    *error = pct + " is no code-table scheme";
    return false;
  }
  if (ime_plug_open(pct.c_str(), scheme->wildcard, scheme->max_key_length) != 0) {
    *error = "the code table " + pct + " cannot be opened; see the engine log";
    return false;
  }
  ime_plug_query_type = scheme->match_method;
  ime_plug_auto_fill = scheme->auto_confirm;
  ime_plug_show_left = scheme->show_left;
  ime_plug_mode = 0;
  ime_mode = 2;
  return true;
}

}  // namespace

bool select_input_scheme(const std::string& choice, const std::string& table_dir,
                         std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  if (choice == "full") {
    ime_mode = 0;
    return true;
  }
  const std::size_t colon = choice.find(':');
  const std::string kind = choice.substr(0, colon);
  const std::string name = colon == std::string::npos ? std::string() : choice.substr(colon + 1);
  if ((kind != "double" && kind != "code") || !is_plain_name(name)) {
    *error = "unknown scheme \"" + choice + "\" (full, double:NAME or code:NAME)";
    return false;
  }
  return kind == "double" ? select_double_pinyin(name, error)
                          : select_code_table(name, table_dir, error);
}

void close_input_scheme() {
  ime_plug_close();
  ime_plug_mode = 0;
  ime_mode = 0;
}

}  // namespace kep_session
