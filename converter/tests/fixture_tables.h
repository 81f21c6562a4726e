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
