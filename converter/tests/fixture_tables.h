// Small converter tables for tests, built and written the way the generator does it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "converter/cclog.h"
#include "converter/gb_codec.h"
#include "converter/table_file.h"
#include "converter/tables.h"
#include "converter/tablegen/table_builder.h"
#include "platform/files.h"

namespace converter::testing {

inline std::string gb(std::string_view utf8) {
  static Gb18030Codec codec;
  auto bytes = codec.encode(utf8);
  return bytes ? *bytes : std::string("<not encodable>");
}

inline std::string utf8(std::string_view gb18030) {
  static Gb18030Codec codec;
  auto text = codec.decode(gb18030);
  return text ? *text : std::string("<not decodable>");
}

// Characters, several with more than one traditional form in real use (only the first kept),
// and one pair of four-byte characters.
inline const std::vector<tablegen::DictionaryEntry>& fixture_characters() {
  static const std::vector<tablegen::DictionaryEntry> entries = {
      {"头", "頭"}, {"发", "發"}, {"干", "幹"}, {"净", "淨"}, {"后", "後"},
      {"现", "現"}, {"来", "來"}, {"𫗧", "餜"},
  };
  return entries;
}

// Phrases of which the character table alone gets most wrong.
inline const std::vector<tablegen::DictionaryEntry>& fixture_phrases() {
  static const std::vector<tablegen::DictionaryEntry> entries = {
      {"头发", "頭髮"}, {"理发", "理髮"}, {"干净", "乾淨"}, {"皇后", "皇后"},
      {"发现", "發現"}, {"后来", "後來"}, {"𠀀发", "𠀀髮"},
  };
  return entries;
}

struct FixtureTables {
  CharTable characters;
  tablegen::FixTables fixes;
};

inline FixtureTables build_fixture_tables() {
  Gb18030Codec codec;
  tablegen::BuildStatistics statistics;
  FixtureTables tables;
  tables.characters = tablegen::build_char_table(fixture_characters(), codec, statistics);
  tables.fixes = tablegen::build_fix_tables(fixture_phrases(), tables.characters, codec, statistics);
  tables.characters.version = "fixture chars";
  tables.fixes.first.version = "fixture fix 1";
  tables.fixes.second.version = "fixture fix 2";
  return tables;
}

// Writes han.db, corefix1.db and corefix2.db of the fixture into `folder`.
inline void write_fixture_tables(const std::filesystem::path& folder) {
  FixtureTables tables = build_fixture_tables();
  std::error_code error;
  table_file::write_char_table(folder / "han.db", tables.characters, error);
  table_file::write_fix_table(folder / "corefix1.db", tables.fixes.first, error);
  table_file::write_fix_table(folder / "corefix2.db", tables.fixes.second, error);
}

// A stored table spoilt the way a failed copy or a careless edit spoils one, and the reason
// the loader gives for refusing it.
struct DamagedTable {
  const char* what;
  const char* file;
  std::string (*damage)(const std::string& stored);
  const char* reason;
};

inline std::string without_last_line(const std::string& stored) {
  std::size_t end = stored.rfind('\n', stored.size() - 2);
  return stored.substr(0, end + 1);
}

// Only the comment header and the version line, with a count that says so.
inline std::string without_records(const std::string& stored) {
  std::string kept = "# Records: 0\n";
  for (std::size_t at = 0; at < stored.size();) {
    std::size_t end = stored.find('\n', at) + 1;
    std::string line = stored.substr(at, end - at);
    at = end;
    if (line.starts_with("# Records:")) continue;
    kept += line;
    if (!line.starts_with("#")) break;
  }
  return kept;
}

inline std::string with_wrong_count(const std::string& stored) {
  std::string rest = stored;
  if (std::size_t at = rest.find("# Records:"); at != std::string::npos) {
    rest.erase(at, rest.find('\n', at) + 1 - at);
  }
  return "# Records: 99\n" + rest;
}

inline const std::vector<DamagedTable>& damaged_tables() {
  static const std::vector<DamagedTable> cases = {
      {"empty", "han.db", [](const std::string&) { return std::string(); }, "is empty"},
      {"no records", "han.db", without_records, "holds no records"},
      {"last line lost", "han.db", without_last_line, "declares 8 records but 7 load"},
      {"cut inside a line", "han.db",
       [](const std::string& stored) { return stored.substr(0, stored.size() - 2); }, "cut off"},
      {"count not its lines", "han.db", with_wrong_count, "declares 99 records"},
      {"last line lost", "corefix1.db", without_last_line, "declares"},
      {"empty", "corefix2.db", [](const std::string&) { return std::string(); }, "is empty"},
  };
  return cases;
}

// Writes the fixture tables into `folder` with `damaged` spoilt.
inline void write_damaged_fixture_tables(const std::filesystem::path& folder,
                                         const DamagedTable& damaged) {
  write_fixture_tables(folder);
  std::error_code error;
  const std::filesystem::path path = folder / damaged.file;
  auto stored = platform::files::read_file(path, error);
  platform::files::write_atomic(path, damaged.damage(stored.value_or("")), error);
}

// Collects the converter's log lines while alive.
class LogCapture {
 public:
  LogCapture() {
    lines().clear();
    set_log_sink([](const char* line) { lines().emplace_back(line); });
  }
  ~LogCapture() { set_log_sink(nullptr); }
  static std::vector<std::string>& lines() {
    static std::vector<std::string> captured;
    return captured;
  }
  bool contains(std::string_view text) const {
    for (const std::string& line : lines()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

}  // namespace converter::testing
