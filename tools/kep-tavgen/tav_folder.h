// The service's word-library folder: its sub-folders and the context lists in py/.
#pragma once

#include <filesystem>
#include <string>

#include "danmodi_writer.h"

namespace tavgen {

// Creates `root` with cz, main, mpp and py, and writes py/danmodi.inx and py/danmodi.lib
// atomically. false with the reason in `error`.
bool write_tav_folder(const std::filesystem::path& root, const DanmodiFiles& danmodi, std::string* error);

}  // namespace tavgen
