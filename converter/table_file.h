// The converter's table files: GB18030 text lines, "#" lines are comments, line ends LF (a CR
// before it is dropped). In han.db, corefix1.db and corefix2.db every byte from 0x30 up is
// stored through the substitution of table_scramble.h; user fix files are plain.
//
//   han.db        version line, then "<simplified> <traditional>" per line
//   corefix*.db   version line, then "!<character>" opening a section and
//                 "><phrase> <replacement> <before> <after>" adding an entry to it
//   user fixes    "<text> <replacement>" per line
//
// Lines longer than kMaxLineBytes are refused whole rather than cut into pieces, which would
// turn their tails into entries of their own.
//
// The writers put "# Records: N" in the comment header, N the lines after the version line.
// A table that declares it must end with a line end and load exactly N of its lines; han.db
// must load at least one record, a fix table at least its version line. Files without the
// count line (written before it was kept) are checked for the rest only.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "converter/gb_codec.h"
#include "converter/tables.h"

namespace converter::table_file {

inline constexpr std::size_t kMaxLineBytes = 1023;
// Table files above this size are refused instead of being read into memory.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;

// Reading logs what it skips and returns false when the file cannot be read or does not hold
// what its header says (logged with the reason); the table may be partly filled then.
bool load_char_table(const std::filesystem::path& path, CharTable& table, Gb18030Codec& codec);
bool load_fix_table(const std::filesystem::path& path, FixTable& table, Gb18030Codec& codec);
bool load_user_fixes(const std::filesystem::path& path, UserFixTable& table, Gb18030Codec& codec);

// The stored bytes of a table (comment header included), and atomic writers of them.
// Entries whose line would be longer than kMaxLineBytes are left out and counted in `skipped`.
std::string format_char_table(const CharTable& table, std::size_t* skipped = nullptr);
std::string format_fix_table(const FixTable& table, std::size_t* skipped = nullptr);
bool write_char_table(const std::filesystem::path& path, const CharTable& table,
                      std::error_code& error);
bool write_fix_table(const std::filesystem::path& path, const FixTable& table,
                     std::error_code& error);

}  // namespace converter::table_file
