#include "tools/datasources/readers/pinyin_database.h"

#include <sqlite3.h>

#include <array>
#include <string_view>

#include "tools/datasources/readers/toned_pinyin.h"

namespace datasources {

namespace {

// Initial ids 0-23 ("" is the zero initial), then final ids 24-56.
constexpr std::array<std::string_view, 24> kInitials = {
    "", "b", "c", "ch", "d", "f", "g", "h", "j", "k", "l", "m",
    "n", "p", "q", "r", "s", "sh", "t", "w", "x", "y", "z", "zh"};
constexpr int kFirstFinalId = 24;
constexpr std::array<std::string_view, 33> kFinals = {
    "a",  "ai",  "an",   "ang",  "ao", "e",  "ei",  "en", "eng", "er",  "i",
    "ia", "ian", "iang", "iao",  "ie", "in", "ing", "iong", "iu", "o",  "ong",
    "ou", "u",   "ua",   "uai",  "uan", "uang", "ue", "ui", "un",  "uo", "v"};
// Longer phrases than the database holds are not looked for.
constexpr int kLongestTable = 15;

struct Statement {
  sqlite3_stmt* statement = nullptr;
  ~Statement() { sqlite3_finalize(statement); }
};

void read_table(sqlite3* db, int index, std::uint32_t min_frequency, std::vector<DatabasePhrase>* phrases) {
  std::string columns;
  for (int i = 0; i <= index; ++i) columns += ", s" + std::to_string(i) + ", y" + std::to_string(i);
  const std::string sql = "SELECT phrase, freq" + columns + " FROM py_phrase_" + std::to_string(index) +
                          " WHERE freq >= ?";
  Statement query;
  // A table the database does not have holds no phrases of that length.
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &query.statement, nullptr) != SQLITE_OK) return;
  sqlite3_bind_int64(query.statement, 1, min_frequency);
  while (sqlite3_step(query.statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(query.statement, 0);
    if (text == nullptr) continue;
    DatabasePhrase phrase;
    phrase.text = reinterpret_cast<const char*>(text);
    phrase.frequency = static_cast<std::uint32_t>(sqlite3_column_int64(query.statement, 1));
    for (int i = 0; i <= index; ++i) {
      phrase.syllables.push_back(database_syllable(sqlite3_column_int(query.statement, 2 + 2 * i),
                                                   sqlite3_column_int(query.statement, 3 + 2 * i)));
    }
    phrases->push_back(std::move(phrase));
  }
}

}  // namespace

std::string database_syllable(int initial_id, int final_id) {
  const int final_index = final_id - kFirstFinalId;
  if (initial_id < 0 || initial_id >= static_cast<int>(kInitials.size()) || final_index < 0 ||
      final_index >= static_cast<int>(kFinals.size())) {
    return "";
  }
  return normalize_syllable(std::string(kInitials[initial_id]) + std::string(kFinals[final_index]));
}

bool load_pinyin_database(const std::filesystem::path& path, std::uint32_t min_frequency,
                          std::vector<DatabasePhrase>* phrases, std::string* error) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    *error = "cannot open " + path.string() + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return false;
  }
  phrases->clear();
  for (int index = 1; index <= kLongestTable; ++index) read_table(db, index, min_frequency, phrases);
  sqlite3_close(db);
  if (phrases->empty()) {
    *error = path.string() + " holds no phrases";
    return false;
  }
  return true;
}

}  // namespace datasources
