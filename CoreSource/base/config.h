// Typed reads of the settings the host program hands the engine.
#pragma once

#include "platform/plist.h"

// The settings dictionary, owned and replaced by the host; NULL until it sets one.
extern const platform::plist::Dictionary* kIMEConfigureDictionary;

// The value's own integer conversion (a string "1" reads as 1), else `fallback`.
int ime_config_get_int(const char* key, int fallback);
// The value's boolean conversion as 1 or 0, else `fallback`.
int ime_config_get_bool(const char* key, int fallback);
// The value as UTF-8 in a shared 2048-byte buffer (the next string read overwrites it), else
// `fallback`, also when the value is empty.
const char* ime_config_get_string(const char* key, const char* fallback);
