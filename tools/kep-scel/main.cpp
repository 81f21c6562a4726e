// Developer tool for cell dictionaries (.scel):
//
//   kep-scel write OUT.scel --name NAME [--uid N] [--type T] [--remark R] [--samples A,B,...]
//                           [--version UNIXTIME] --words LIST
//   kep-scel info FILE
//   kep-scel import FILE
//
// write makes a file from a UTF-8 word list (list_file.h); info prints its header; import
// builds the dictionary folder <data folder>/Dictionary/<file name> as the updater does.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "celldict/scel_reader.h"
#include "celldict/scel_writer.h"
#include "list_file.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsage = 2;
constexpr int kFailed = 1;
// Word lists are read whole; anything larger is surely not one.
constexpr std::uintmax_t kWordListMax = 1u << 30;

// Engine log lines are kept and shown only when something fails.
std::vector<std::string>& held_log() {
  static std::vector<std::string> lines;
  return lines;
}
void hold_log_line(const char* line) { held_log().emplace_back(line); }
void show_held_log() {
  for (const std::string& line : held_log()) std::fprintf(stderr, "%s\n", line.c_str());
  held_log().clear();
}

int usage(const std::string& why = {}) {
  if (!why.empty()) std::fprintf(stderr, "kep-scel: %s\n", why.c_str());
  std::fprintf(stderr,
               "usage: kep-scel write OUT.scel --name NAME [--uid N] [--type T] [--remark R]\n"
               "                      [--samples A,B,...] [--version UNIXTIME] --words LIST\n"
               "       kep-scel info FILE\n"
               "       kep-scel import FILE\n"
               "LIST is UTF-8, one word a line: pinyin (syllables joined by '), a blank, the word,\n"
               "and optionally a blank and a frequency, e.g. \"zhong'guo 中国 900\".\n"
               "import builds $HOME/Library/KEP/Dictionary/<file name>.\n");
  return kUsage;
}

int failed(const std::string& why) {
  std::fprintf(stderr, "kep-scel: %s\n", why.c_str());
  return kFailed;
}

bool all_digits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<std::int32_t> parse_version(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::vector<std::string> split_at_commas(const std::string& text) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

int run_write(const std::vector<std::string>& args) {
  if (args.empty() || args[0].rfind("--", 0) == 0) return usage("write needs the output file first");
  const std::string out = args[0];
  std::map<std::string, std::string> options;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    static const char* const kKnown[] = {"--name",    "--uid",     "--type", "--remark",
                                         "--samples", "--version", "--words"};
    if (std::find(std::begin(kKnown), std::end(kKnown), args[i]) == std::end(kKnown)) {
      return usage("unknown option " + args[i]);
    }
    if (i + 1 >= args.size()) return usage(args[i] + " needs a value");
    if (!options.emplace(args[i], args[i + 1]).second) return usage(args[i] + " given twice");
  }
  if (!options.count("--name")) return usage("write needs --name");
  if (!options.count("--words")) return usage("write needs --words");
  auto option = [&](const char* name) {
    auto found = options.find(name);
    return found == options.end() ? std::string() : found->second;
  };

  scel::WriterContents contents;
  contents.name = option("--name");
  contents.type = option("--type");
  contents.remark = option("--remark");
  contents.uid = option("--uid");
  if (options.count("--uid") && !all_digits(contents.uid)) return usage("--uid takes decimal digits");
  contents.samples = split_at_commas(option("--samples"));
  contents.version = static_cast<std::int32_t>(std::time(nullptr));
  if (options.count("--version")) {
    std::optional<std::int32_t> version = parse_version(option("--version"));
    if (!version) return usage("--version takes a Unix time (a 32-bit whole number)");
    contents.version = *version;
  }

  const std::string list = option("--words");
  std::error_code error;
  if (!fs::is_regular_file(list, error)) return failed("no word list file " + list);
  if (fs::file_size(list, error) > kWordListMax) return failed(list + " is larger than 1 GB");
  std::optional<std::string> text = platform::files::read_file(list, error);
  if (!text) return failed("cannot read " + list + ": " + error.message());
  std::string why;
  auto words = kep_scel::parse_word_list(*text, &why);
  if (!words) return failed(list + ": " + why);
  contents.words = std::move(*words);
  if (!scel::write_file(out, contents, &why)) return failed(why);
  std::printf("%zu words written to %s\n", contents.words.size(), out.c_str());
  return 0;
}

const char* load_failure(std::int32_t status) {
  switch (status) {
    case SCEL_NO_FILE: return "no such file";
    case SCEL_CANNOT_OPEN: return "cannot be opened for reading";
    case SCEL_SHORT: return "cut short, or a header text is not text";
    case SCEL_BAD_MAGIC: return "not a cell dictionary";
    case SCEL_BAD_VERSION: return "a cell dictionary of an unknown format version";
    default: return "cannot be read";
  }
}

// One value on one line: control characters and backslashes are escaped.
std::string one_line(const std::string& value) {
  std::string shown;
  for (unsigned char c : value) {
    if (c == '\\') {
      shown += "\\\\";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

int run_info(const std::string& path) {
  ScelReader reader;
  std::int32_t status = reader.load(path);
  if (status != SCEL_OK) return failed(path + ": " + load_failure(status));
  std::string samples;
  for (std::size_t i = 0; i < reader.samples().size(); ++i) {
    if (i > 0) samples += ",";
    samples += reader.samples()[i];
  }
  std::printf("name: %s\n", one_line(reader.name()).c_str());
  std::printf("type: %s\n", one_line(reader.type()).c_str());
  std::printf("remark: %s\n", one_line(reader.remark()).c_str());
  std::printf("samples: %s\n", one_line(samples).c_str());
  std::printf("uid: %s\n", one_line(reader.uid()).c_str());
  std::printf("version: %d\n", reader.version());
  std::printf("words: %u\n", reader.wordCount());
  return 0;
}

int run_import(const std::string& path) {
  if (QAGetAppSupportPath() == nullptr) return failed(ime_data_folder_error());
  ScelReader reader;
  std::int32_t status = reader.load(path);
  if (status != SCEL_OK) return failed(path + ": " + load_failure(status));
  ScelExportStats stats;
  if (reader.exportTo(path, &stats) != 0) {
    show_held_log();
    return failed("import of " + path + " failed");
  }
  const std::string folder =
      QAGetAppSupportPathString() + "/Dictionary/" + fs::path(path).filename().string();
  const std::uint32_t refused = stats.words_written - stats.records;
  std::printf("folder: %s\n", folder.c_str());
  std::printf("words: %u\n", stats.records);
  std::printf("skipped: %u\n", stats.not_gbk + refused);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ime_log_func = hold_log_line;
  if (args.empty()) return usage();
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "write") return run_write(args);
  if ((command == "info" || command == "import") && args.size() != 1) {
    return usage(command + " takes one file");
  }
  if (command == "info") return run_info(args[0]);
  if (command == "import") return run_import(args[0]);
  return usage("unknown command " + command);
}
