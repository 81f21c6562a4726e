#include "keys_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "session/engine_host.h"
#include "session/input_scheme.h"
#include "session/outcome_text.h"
#include "session/typing_session.h"

namespace {

constexpr const char* kUsage =
    "usage: kep-engine keys [--traditional] [--delay-ms N] [--scheme SCHEME] [--table-dir DIR] KEYS\n"
    "  SCHEME: full (the default), double:NAME (the double-pinyin scheme NAME.spc) or\n"
    "  code:NAME (the code table NAME.pct in DIR, else in the data folder's PlugCodeTable)\n"
    "  KEYS: letters and punctuation as typed; <space> <bs> <del> <ret> <left> <right> <pgup>\n"
    "  <pgdn> <tab> <esc> <tone0>..<tone8> <lt>; digits select a candidate\n";

struct Options {
  bool traditional = false;
  int delay_ms = 0;
  std::string scheme = "full";
  std::string table_dir;
  std::string script;
};

bool parse_options(int argc, char** argv, Options* options) {
  bool have_script = false;
  for (int i = 0; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--traditional") {
      options->traditional = true;
    } else if (argument == "--delay-ms" && i + 1 < argc) {
      char* end = nullptr;
      const long delay = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || delay < 0 || delay > 60000) return false;
      options->delay_ms = static_cast<int>(delay);
    } else if (argument == "--scheme" && i + 1 < argc) {
      options->scheme = argv[++i];
    } else if (argument == "--table-dir" && i + 1 < argc) {
      options->table_dir = argv[++i];
    } else if (!have_script) {
      options->script = argument;
      have_script = true;
    } else {
      return false;
    }
  }
  return have_script;
}

}  // namespace

int run_keys(int argc, char** argv) {
  Options options;
  if (!parse_options(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  auto keys = kep_session::parse_key_script(options.script, &error);
  if (!keys) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    return 2;
  }
  if (!kep_session::start_engine_host(&error)) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  if (!kep_session::select_input_scheme(options.scheme, options.table_dir, &error)) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    kep_session::stop_engine_host();
    return 1;
  }
  {
    auto session = kep_session::TypingSession::open(options.traditional);
    if (!session) {
      std::fprintf(stderr, "kep-engine: out of memory\n");
      status = 1;
    } else {
      for (std::size_t i = 0; i < keys->size(); ++i) {
        if (i > 0 && options.delay_ms > 0) {
          std::this_thread::sleep_for(std::chrono::milliseconds(options.delay_ms));
        }
        const kep_session::Key& key = (*keys)[i];
        std::fputs(kep_session::outcome_lines(key, session->type(key)).c_str(), stdout);
      }
    }
  }
  kep_session::close_input_scheme();
  if (!kep_session::stop_engine_host(&error)) {
    std::fprintf(stderr, "kep-engine: %s\n", error.c_str());
    status = 1;
  }
  return status;
}
