// Where the converter program finds its tables.
#pragma once

#include <filesystem>
#include <optional>

inline constexpr const char* kConverterBundleIdentifier = "com.corvana.inputmethod.imkkep.simp2trad";

// The program's own bundle resources: Contents/Resources beside Contents/MacOS holding the
// running executable; failing that (a copy run from build/bin), the resources of the bundle
// with the converter's identifier under the root prefix. nullopt when neither holds han.db.
std::optional<std::filesystem::path> find_resources_folder();
