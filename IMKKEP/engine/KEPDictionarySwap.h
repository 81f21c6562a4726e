// The moments of a dictionary swap at which another program may act on the folders (a build
// that starts, a staging folder removed); tests act there to show what the swap then does.
#pragma once

#include <filesystem>
#include <string>

namespace imkkep {

enum class SwapMoment {
  OldFolderAside,  // the dictionary's folder was renamed aside; the staged one is still staged
  StagedFolderIn,  // the staged folder holds the dictionary's name; the old one is still aside
};

// Called with the Dictionary folder and the dictionary's name.
using SwapObserver = void (*)(SwapMoment moment, const std::filesystem::path& folder,
                              const std::string& name);

// nullptr: none.
void set_dictionary_swap_observer(SwapObserver observer);

}  // namespace imkkep
