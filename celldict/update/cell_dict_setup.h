// The one-time set-up of the dictionary tools in a process (the updater program, the
// dictionary pane): the Dictionary folder, the engine's resources and its pinyin tables, and
// the hanzi index of pinyin.db.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

namespace celldict::update {

// "<data folder>/Dictionary"; empty when there is no data folder (HOME unusable).
std::filesystem::path dictionary_folder();

// Creates the Dictionary folder (and the data folder) when missing, points the engine at its
// resources under the root prefix, loads the pinyin tables and reads the hanzi index of
// pinyin.db. 0, or -1 with the reason logged. Only the first call does the work; later ones
// answer its result.
int Initialize();

// Hanzi (UTF-8) -> record offset in pinyin.db, as Initialize read it.
const std::unordered_map<std::string, std::int64_t>& hanzi_index();

}  // namespace celldict::update
