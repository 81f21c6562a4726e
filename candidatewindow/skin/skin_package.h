// Skin packages: ".ssf" zip archives unpacked in-process into one folder per skin under the
// data folder's Skins. A package is checked whole before anything is written; it is unpacked
// into a private folder beside its destination and renamed into place only when complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kepskin {

// What one package may hold; a package over any bound is refused whole.
struct PackageLimits {
  std::uint64_t max_entries = 4096;
  std::uint64_t max_entry_bytes = 32ull << 20;   // uncompressed, declared and actually read
  std::uint64_t max_total_bytes = 256ull << 20;  // uncompressed, over all entries
};

// Results of extractSkinFile; install_skin_package reports the same faults as text.
enum PackageStatus : int {
  kPackageInstalled = 0,
  kPackageUnreadable = -1,       // not a zip archive, damaged, or an entry fails to read
  kPackageRefused = -2,          // an entry is unsafe (path, control character in its name, link,
                                 // device) or a bound is passed
  kPackageDestinationFailed = -3,  // the destination cannot be created or swapped in
  kPackageNotASkin = -4,         // no skin.ini at the top or in the one top-level folder
};

// Unpacks every entry of `archive` as it is into the folder `destination`. The folder is
// built aside and takes the place of an existing one only once complete; on any failure
// nothing new is left and an existing folder stays. 0 or a PackageStatus, with `message`.
int extractSkinFile(const std::string& archive, const std::string& destination, std::string& message,
                    const PackageLimits& limits = {});

// The skin name a package installs under: its file name without the ".ssf" extension (any
// case). nullopt for a name that is empty, "." or "..", starts with "." (the names of
// folders being built), holds a control character or does not fit a file name.
std::optional<std::string> skin_name_for_package(const std::filesystem::path& archive);

// Installs `archive` as `skins_folder`/<name> (the folder is created 0755 when missing).
// The package must hold skin.ini at its top level, or all of its entries must lie in one
// top-level folder holding skin.ini, which is then dropped from every path so that the skin
// folder always holds skin.ini itself. A skin of the same name is replaced only by a complete
// new one. The installed folder, or nullopt with `error` saying why.
std::optional<std::filesystem::path> install_skin_package(const std::filesystem::path& archive,
                                                          const std::filesystem::path& skins_folder,
                                                          std::string& error,
                                                          const PackageLimits& limits = {});

// $HOME/Library/KEP/Skins, created (data folder 0700, Skins 0755) when missing; nullopt with
// `error` when HOME is unusable or a folder cannot be created.
std::optional<std::filesystem::path> skins_folder(std::string& error);

}  // namespace kepskin
