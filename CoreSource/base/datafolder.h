// The per-user data folder, the resource lookup and the few file-system helpers kept beside them.
#pragma once

#include <cstddef>
#include <string>

// Identifier of the bundle whose resources the lookup searches; engine start-up sets
// "com.corvana.kep" unless the host set another one first.
extern const char* ime_bundle_name;
// Folder searched last for resources (an absolute path under the root prefix).
extern char ime_default_res[512];

inline constexpr const char* IME_DEFAULT_BUNDLE_NAME = "com.corvana.kep";
inline constexpr const char* IME_DEFAULT_RESOURCE_FOLDER =
    "/Library/Components/KEP.component/Contents/Resources";

// Sets ime_bundle_name (unless set) and ime_default_res under the root prefix. 0 or -1.
int ime_set_default_resources();

// "$HOME/Library/KEP". NULL, with the reason logged and kept for ime_data_folder_error(),
// when HOME is unset, empty or not absolute, or the path is too long. Once found it is kept
// for the life of the process.
const char* QAGetAppSupportPath();
// The same path without logging a failure (for the log writer itself).
const char* ime_data_folder_quiet();
// Why the data folder could not be named; empty when it could.
std::string ime_data_folder_error();
// Copies the data-folder path into `buffer` (`size` bytes, 512 by the engine's convention). 0 or -1.
int QACopyAppSupportPath(char* buffer, std::size_t size = 512);
// The path as a string kept for the process; empty when there is no data folder.
const std::string& QAGetAppSupportPathString();
// A fresh copy of the path; empty when there is no data folder.
std::string QACopyAppSupportPathString();
// "file://" URL of the data folder, ending in "/"; empty when there is no data folder.
std::string QACopyAppSupportPathURL();
// Creates the data folder (mode 0700, parents included) when it is missing. 0, or -1 (logged)
// also when the folder is refused (ime_data_folder_refusal).
int ime_make_data_folder();
// Why the folder at `path` cannot hold this user's data: it is no folder, belongs to another
// user, or its group or others may write to it (they could replace the files the engine maps).
// Empty when it can.
std::string ime_data_folder_refusal(const char* path);

// The user's home folder from HOME, which must be an absolute path; NULL otherwise.
// QAGetHomeDirectory keeps its first answer, IMEGetHomeDirectory looks again on each call.
const char* QAGetHomeDirectory();
const char* IMEGetHomeDirectory();

// Resolves a resource name to a path in `out` (at least 512 bytes): the data folder, the
// resources of the bundle ime_bundle_name, then ime_default_res. A leading "!" skips the data
// folder. Found paths are cached by the name without "!". A resource found nowhere still yields
// its path in the default folder (result 0, not cached). -1 for an empty or invalid name or a
// path that does not fit.
int ime_get_resource_filename(const char* name, char* out);
// Caches name -> path when the path exists and the name is not cached yet.
void AddToResDict(const char* name, const char* path);

// Replaces the extension of the last path component of `source` by `suffix` (which carries its
// own "."), or appends it when there is none. Returns `out`, or NULL when the result does not
// fit `out_size` bytes.
char* QAChangePostfix(const char* source, const char* suffix, char* out, std::size_t out_size = 512);

// 1 when the sentence engine's four word-library folders exist under /Library/TAV, else 0.
int full_convert_installed();

// Reads ProductVersion of the system version property list as major.minor.revision. 0 or -1.
int ime_get_osversion(int* major, int* minor, int* revision);

// Copies the file `source` into `destination_folder` under its own name, replacing an existing
// file of that name. 0 or -1.
int QACopyFile(const char* source, const char* destination_folder);

// Deletes a file, or a folder that holds only files. A folder with anything else in it
// (a sub-folder among them) is left untouched. 0 or -1.
int QADeleteFile(const char* path);

// Forgets the data folder, home folder and resource answers (tests change HOME and KEP_ROOT).
void ime_datafolder_reset_for_testing();
