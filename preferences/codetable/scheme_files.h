// The installed schemes of the code-table folder: listing them, importing one built elsewhere
// and removing one. A scheme is "<name>.pct" with "<name>.qdb" and "<name>.idx" beside it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scheme_line.h"

namespace codetable {

struct InstalledScheme {
  std::string file;  // "<name>.pct" as it is spelled in the folder
  std::string name;  // the file name without its extension
  SchemeLine line;
};

using SchemeLog = std::function<void(const std::string& line)>;

// The schemes directly in `folder`, by file name without regard to case: files whose extension is "pct" in any case,
// whose name is a table name, that read as a scheme line and whose data and index files exist
// (a missing one is logged as "IDX file for %s not found." or "DB file for %s not found.").
std::vector<InstalledScheme> ListSchemes(const std::string& folder, const SchemeLog& log = {});

// The index of the scheme whose file is `wanted` + ".pct" (a `wanted` already ending in ".pct"
// is taken without it): spelled alike, else alike but for case; 0 when none is, -1 for no
// schemes.
int FindScheme(const std::vector<InstalledScheme>& schemes, std::string_view wanted);

enum class ImportOutcome {
  kImported,
  kInsideFolder,  // the file already lies in the code-table folder
  kBadName,       // its name is no table name
  kNotScheme,     // it does not read as a scheme line
  kMissingIndex,  // no "<name>.idx" beside it
  kMissingData,   // no "<name>.qdb" beside it
  kFailed,        // reading or writing failed; `error` says why
};

// Copies a scheme file and its index and data files into `folder`, each written aside first
// and moved in only when all three are complete; an older table of the same name is replaced
// whole and its counters, which numbered the old records, are dropped. Nothing is copied unless
// every check passes. `missing` gets the missing file's name.
ImportOutcome ImportScheme(const std::string& scheme_path, const std::string& folder,
                           std::string* missing, std::string* error);

// Deletes the scheme file `file` ("<name>.pct" as spelled in the folder), "<name>.idx" and
// "<name>.qdb" from `folder`; the extra codes and the counters stay. Errors are ignored; false
// when `file` names no scheme of the folder.
bool RemoveScheme(const std::string& folder, const std::string& file);

}  // namespace codetable
