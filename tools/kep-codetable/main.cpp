// Developer driver for code tables: builds one from a source text with the preferences' compiler
// and answers codes through the engine's code-table query, the way the input method will.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/base/imelog.h"
#include "CoreSource/dict/cmphplug.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "code_source.h"
#include "scheme_line.h"
#include "table_build.h"
#include "table_data.h"

namespace {

constexpr int kExitNoMatch = 3;
// The result list the code-table matcher fills.
constexpr int kCandidateList = 1;

void usage() {
  std::fprintf(stderr,
               "usage: kep-codetable build SOURCE NAME [--version 10|20] [--out DIR] [--max-len N]\n"
               "                           [--wildcard C] [--exact] [--auto-confirm] [--show-left]\n"
               "       kep-codetable query NAME CODE [--dir DIR]\n\n"
               "Tables live in the data folder's PlugCodeTable unless --out/--dir names another.\n"
               "build writes NAME.qdb, NAME.idx and the scheme file NAME.pct (longest code of the\n"
               "source unless --max-len; wildcard \"*\"; prefix search unless --exact).\n"
               "query prints one candidate a line: text, code, record number (best first).\n");
}

// The data folder's PlugCodeTable, created 0700 with its parents; empty (reported) when the
// data folder cannot be had.
std::string default_folder() {
  if (QAGetAppSupportPath() == nullptr || ime_make_data_folder() != 0) {
    std::fprintf(stderr, "kep-codetable: no data folder: %s\n", ime_data_folder_error().c_str());
    return std::string();
  }
  const std::string folder = std::string(QAGetAppSupportPath()) + "/PlugCodeTable";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "kep-codetable: cannot create %s: %s\n", folder.c_str(), std::strerror(errno));
    return std::string();
  }
  return folder;
}

std::optional<int> parse_int(const char* text) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 1000) return std::nullopt;
  return static_cast<int>(value);
}

int run_build(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::string folder;
  int version = 20;
  std::optional<int> max_len;
  codetable::SchemeLine scheme;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--version" && has_value) {
      const std::string& v = args[++i];
      if (v != "10" && v != "20") {
        std::fprintf(stderr, "kep-codetable: --version is 10 or 20\n");
        return 2;
      }
      version = v == "10" ? 10 : 20;
    } else if (arg == "--out" && has_value) {
      folder = args[++i];
    } else if (arg == "--max-len" && has_value) {
      max_len = parse_int(args[++i].c_str());
      if (!max_len) {
        std::fprintf(stderr, "kep-codetable: --max-len takes a number 0-1000\n");
        return 2;
      }
    } else if (arg == "--wildcard" && has_value) {
      if (args[++i].size() != 1) {
        std::fprintf(stderr, "kep-codetable: --wildcard takes one character\n");
        return 2;
      }
      scheme.wildcard = args[i][0];
    } else if (arg == "--exact") {
      scheme.match_method = 1;
    } else if (arg == "--auto-confirm") {
      scheme.auto_confirm = 1;
    } else if (arg == "--show-left") {
      scheme.show_left = 1;
    } else if (arg.starts_with("--")) {
      usage();
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    usage();
    return 2;
  }
  const std::string& source = positional[0];
  const std::string& name = positional[1];
  if (folder.empty() && (folder = default_folder()).empty()) return 1;
  if (!codetable::IsUtf8File(source)) {
    std::fprintf(stderr, "kep-codetable: %s cannot be read as UTF-8 text\n", source.c_str());
    return 1;
  }

  std::string error;
  const int rc = version == 10 ? codetable::BuildCMPHPlug(source, name, folder, nullptr, &error)
                               : codetable::BuildSQLPlug(source, name, folder, nullptr, &error);
  if (rc != 0) {
    std::fprintf(stderr, "kep-codetable: %s\n", error.c_str());
    return 1;
  }
  std::vector<codetable::CodePair> pairs;
  codetable::TagSrc(&error, source, &pairs);
  const std::size_t skipped = codetable::DropOverlongTexts(&pairs).size();
  if (skipped > 0) std::fprintf(stderr, "kep-codetable: skipped %zu over-long texts\n", skipped);
  std::size_t longest = 0;
  for (const codetable::CodePair& pair : pairs) longest = std::max(longest, pair.key.size());
  scheme.max_key_length = max_len ? *max_len : static_cast<int>(longest);
  const std::string scheme_path = folder + "/" + name + ".pct";
  if (!codetable::WriteSchemeFile(scheme_path, scheme, &error)) {
    std::fprintf(stderr, "kep-codetable: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %zu codes, version %d, scheme \"%s\"\n", scheme_path.c_str(), pairs.size(), version,
              codetable::FormatSchemeLine(scheme).c_str());
  return 0;
}

// Prints list 1 after a query, best first as the code-table scheme sorts it.
void print_candidates(ime_conversation_t* conversation) {
  ime_mode = 2;
  ime_plug_mode = 0;
  ime_qrdb_sort(conversation, kCandidateList);
  const int count = ime_qrdb_count(conversation, kCandidateList);
  for (int i = 0; i < count; ++i) {
    ime_query_result_t result;
    if (ime_qrdb_get(conversation, kCandidateList, i, &result) != 0) continue;
    std::printf("%.*s\t%.*s\t%u\n", result.hlen, reinterpret_cast<const char*>(result.hz), result.plen,
                result.sm, result.index);
  }
}

int run_query(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::string folder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dir" && i + 1 < args.size()) {
      folder = args[++i];
    } else if (args[i].starts_with("--")) {
      usage();
      return 2;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) {
    usage();
    return 2;
  }
  const std::string& name = positional[0];
  const std::string& code = positional[1];
  if (folder.empty() && (folder = default_folder()).empty()) return 1;
  // The engine's log lines go where the input method's go.
  ime_log_func = _ime_log_func;

  const std::string scheme_path = folder + "/" + name + ".pct";
  const std::optional<codetable::SchemeLine> scheme = codetable::ReadSchemeFile(scheme_path);
  if (!scheme) {
    std::fprintf(stderr, "kep-codetable: %s is no code-table scheme\n", scheme_path.c_str());
    return 1;
  }
  if (ime_plug_open(scheme_path.c_str(), scheme->wildcard, scheme->max_key_length) != 0) {
    std::fprintf(stderr, "kep-codetable: the table %s cannot be opened; see %s/ime.log\n",
                 scheme_path.c_str(), QAGetAppSupportPath());
    return 1;
  }
  ime_plug_query_type = scheme->match_method;
  ime_conversation_t* conversation = nullptr;
  if (ime_new_conversation(&conversation) != 0) {
    ime_plug_close();
    return 1;
  }
  int rc = ime_plug_query(conversation, kCandidateList, code.data(), static_cast<int>(code.size()));
  if (rc != 0) {
    std::fprintf(stderr, "kep-codetable: the code cannot be queried (at most %d bytes)\n",
                 IME_PLUG_MAX_TYPED_BYTES);
    rc = 1;
  } else if (ime_qrdb_count(conversation, kCandidateList) <= 0) {
    std::fprintf(stderr, "kep-codetable: no code matches \"%s\"\n", code.c_str());
    rc = kExitNoMatch;
  } else {
    print_candidates(conversation);
  }
  ime_free_conversation(&conversation);
  ime_plug_close();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage();
    return 2;
  }
  const std::string_view command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "build") return run_build(args);
  if (command == "query") return run_query(args);
  usage();
  return 2;
}
