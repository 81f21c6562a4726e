// Every key of the settings file imkkep.plist with its type and the default its readers use
// when the key is absent. All engine and server reads go through this table, so a default is
// written down once.
#pragma once

#include <span>
#include <string_view>

enum class ImeSettingType { Bool, Int, Real, String };

// The engine and the server disagree on one default; the reader says whose applies.
enum class ImeSettingReader { Engine, Server };

struct ImeSettingKey {
  const char* name;
  ImeSettingType type;
  bool has_default;      // false: absent means "not set" (strings without a default)
  double number;         // default of a boolean (0/1), integer or real key
  const char* text;      // default of a string key, or nullptr
  bool server_differs;   // the server reads the key with server_number instead
  double server_number;

  double default_number(ImeSettingReader reader = ImeSettingReader::Engine) const {
    return reader == ImeSettingReader::Server && server_differs ? server_number : number;
  }
};

std::span<const ImeSettingKey> ime_setting_keys();
// The table entry of `name`, or nullptr for a key the table does not know.
const ImeSettingKey* ime_setting_key(std::string_view name);

// Reads `key` from kIMEConfigureDictionary with the table's default for `reader`.
// An unknown key is logged and reads as 0 (or NULL).
int ime_setting_int(const char* key, ImeSettingReader reader = ImeSettingReader::Engine);
int ime_setting_bool(const char* key, ImeSettingReader reader = ImeSettingReader::Engine);
// Shares the string buffer of ime_config_get_string; NULL when absent without a default.
const char* ime_setting_string(const char* key);
