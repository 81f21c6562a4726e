#include "writers/system_dictionary.h"

#include <cstdio>
#include <cstring>

#include "CoreSource/base/checksum.h"
#include "celldict/dictbuilder.h"
#include "platform/files.h"

namespace mkdata {

namespace fs = std::filesystem;

namespace {

void set_text(char (&buffer)[IME_DICT_TEXT_SIZE], const std::string& text) {
  std::snprintf(buffer, sizeof buffer, "%s", text.c_str());
}

}  // namespace

std::string write_word_list(const std::vector<WordListEntry>& words, std::string* version) {
  std::string text;
  for (const WordListEntry& word : words) {
    if (std::optional<std::string> line = write_word_list_line(word)) text += *line;
  }
  *version = std::to_string(ime_crc32(text.data(), text.size()));
  return text;
}

bool write_system_dictionary(const std::vector<WordListEntry>& words, const fs::path& folder,
                             DictionaryReport* report, std::string* error) {
  std::error_code ec;
  std::optional<fs::path> work = platform::files::make_temp_directory(folder.parent_path(), ".kep-mkdata-", ec);
  if (!work) {
    *error = "cannot make a work folder beside " + folder.string() + ": " + ec.message();
    return false;
  }
  auto done = [&](bool ok) {
    std::error_code ignored;
    platform::files::remove_tree(*work, ignored);
    return ok;
  };

  std::string version;
  std::string list = write_word_list(words, &version);
  for (char c : list) report->words_listed += c == '\n';
  fs::path list_path = *work / "words.txt";
  fs::path built = *work / folder.filename();
  if (!platform::files::write_atomic(list_path, list, ec) || !fs::create_directory(built, ec)) {
    *error = "cannot prepare the word list: " + ec.message();
    return done(false);
  }

  set_text(sauthor, "KEP");
  set_text(sdesc, "System dictionary");
  set_text(sversion, version);
  char message[512] = "";
  ime_build_stats_t stats;
  if (ime_build_dict_with_stats(list_path.c_str(), built.c_str(), "0", message, &stats) != 0) {
    *error = std::string("the dictionary builder failed: ") + message;
    return done(false);
  }
  report->records = stats.records;
  report->rejected = stats.rejected;

  // Swap the new folder in: the old one is moved aside first and removed with the work folder.
  if (fs::exists(folder, ec)) fs::rename(folder, *work / "previous", ec);
  if (!ec) fs::rename(built, folder, ec);
  if (ec) {
    *error = "cannot move the dictionary into " + folder.string() + ": " + ec.message();
    return done(false);
  }
  return done(true);
}

}  // namespace mkdata
