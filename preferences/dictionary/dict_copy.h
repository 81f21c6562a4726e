// Adding a dictionary folder the user chose: a copy of it under the Dictionary folder, built
// aside and swapped in whole, so the engine never opens half a folder.
#pragma once

#include <filesystem>
#include <string>

namespace dictpane {

enum class AddOutcome {
  Added,
  InsideDictionaries,  // the source lies in the Dictionary folder (replacing would delete it),
                       // or holds it
  NotAFolder,          // the source is not a real folder (a link, a file, nothing)
  Failed,              // the copy could not be made or put in place; nothing changed
};

// Copies `source` (links inside it are left out, never followed) to
// "<dictionaries>/<source's name>", replacing a folder of that name only once the copy is
// complete. `why` says what failed.
AddOutcome add_dict_folder(const std::filesystem::path& source,
                           const std::filesystem::path& dictionaries, std::string* why);

}  // namespace dictpane
