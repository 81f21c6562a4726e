// Developer driver for the input engine: runs one engine task per subcommand.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "CoreSource/base/datafolder.h"
#include "interactive_command.h"
#include "keys_command.h"
#include "split_command.h"
#include "table_commands.h"
#include "terminal.h"

namespace {

struct Subcommand {
  const char* name;
  const char* arguments;
  const char* summary;
  int (*run)(int argc, char** argv);
};

// The shipped resources the engine resolves; "!" marks those never taken from the data folder.
constexpr const char* kEngineResources[] = {
    "pinyin.db", "pinyin2.db", "fzm.db", "punct.def", "!hzdb.db", "!hzdb.info",
    "!system.dict", "imkkep.plist", "vmode.txt", "abbr.txt",
};

// Sets up what every subcommand needs: the resource bundle and the data folder.
bool start_engine() {
  if (ime_set_default_resources() != 0) {
    std::fprintf(stderr, "kep-engine: the default resource folder cannot be named\n");
    return false;
  }
  if (ime_data_folder_quiet() == nullptr) {
    std::fprintf(stderr, "kep-engine: %s\n", ime_data_folder_error().c_str());
    return false;
  }
  if (ime_make_data_folder() != 0) {
    std::fprintf(stderr, "kep-engine: cannot create the data folder %s\n", QAGetAppSupportPath());
    return false;
  }
  return true;
}

int run_paths(int argc, char**) {
  if (argc != 0) {
    std::fprintf(stderr, "kep-engine: paths takes no arguments\n");
    return 2;
  }
  if (!start_engine()) return 1;
  std::printf("data folder: %s\n", QAGetAppSupportPath());
  int failures = 0;
  for (const char* name : kEngineResources) {
    char path[512];
    if (ime_get_resource_filename(name, path) != 0) {
      std::printf("%s: (cannot be resolved)\n", name);
      ++failures;
      continue;
    }
    struct stat st;
    bool present = ::stat(path, &st) == 0;
    std::printf("%s: %s%s\n", name, path, present ? "" : " (missing)");
  }
  return failures == 0 ? 0 : 1;
}

constexpr Subcommand kSubcommands[] = {
    {"paths", "", "create the data folder and print where each engine resource is found",
     run_paths},
    {"init", "", "start the engine on its resources and print what it logged", run_init},
    {"query-py", "SYLLABLE", "list the single characters of a syllable or initial, most used first",
     run_query_py},
    {"hz", "HANZI", "list the readings of each hanzi from the hanzi information file", run_hz},
    {"split", "[--exact] LETTERS...", "split typed letters into pinyin syllables", run_split},
    {"keys", "[--traditional] [--delay-ms N] KEYS",
     "type KEYS into one conversation, printing marked text, page and commits after each key",
     run_keys},
};

void usage() {
  std::fprintf(stderr,
               "usage: kep-engine <subcommand> [arguments]\n"
               "       kep-engine              (on a terminal: type pinyin live; Escape quits)\n"
               "\nsubcommands:\n");
  for (const Subcommand& command : kSubcommands) {
    std::string line = std::string(command.name) +
                       (command.arguments[0] ? std::string(" ") + command.arguments : "");
    std::fprintf(stderr, "  %-24s %s\n", line.c_str(), command.summary);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    if (kep_terminal::is_interactive()) return run_interactive();
    usage();
    return 2;
  }
  std::string_view wanted = argv[1];
  for (const Subcommand& command : kSubcommands) {
    if (wanted == command.name) return command.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "kep-engine: unknown subcommand \"%s\"\n", argv[1]);
  usage();
  return 2;
}
