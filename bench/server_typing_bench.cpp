// Full-speed typing through the input-method server with every companion running as shipped.
//
// The server program of the staged root is started in a HOME and runtime folder of the run's
// own and starts the candidate window, the converter and the sentence service itself. Once all
// three serve their ports, one client of the framework library types the twenty sentences of
// bench_sentences.h, pass after pass (25 passes: 14,325 keys), each as its full pinyin followed
// by Space, which commits the first candidate, with no pause between keys. Each key's round trip
// (sent until the server's "handled" answer arrives) is timed; reported are the median, the 99th
// percentile and the largest, and the candidate window program's CPU time (user + system, from
// /proc/<pid>/stat, read before the first key and again once the window has gone idle after
// the last) divided by the keys typed.
//
// A commit is right when the text the server inserted for a sentence (everything inserted from
// its first letter through its Space) is exactly the text the engine's own driver commits for
// the same keys, typed in this process on the same staged data with no server and no window:
//   normal run, and the window stopped: the sentence service running, simplified output;
//   the converter stopped, traditional output on: the sentence service running and no
//     converter, so sentences the converter would have turned stay simplified (words carry
//     their own traditional form);
//   the sentence service stopped: no sentence service, so the engine's own greedy sentence.
// Every pass expects the same texts: keys typed without a pause teach the engine nothing.
// wrong_commits counts sentences that differ; the first few are printed on standard error.
//
// Fault modes (--fault), each started as the normal run and then, just before the first key,
// one companion is stopped with SIGSTOP (it keeps its port and its queue, and answers nothing):
//   window     the candidate window;
//   converter  the converter, with TraditionalOutput set in the run's settings file;
//   sentences  the sentence service.
// A run ends after --passes passes, or earlier when --key_limit keys were typed or
// --time_limit seconds went by, or when a key got no answer within the framework library's
// reply time (10 s), which closes the connection as it would an application's (connection_lost);
// cut_short is then 1 and the sentence under way is not checked. Where a stalled companion
// costs seconds a key, the bounds keep a run short.
// After each run the server and every program that names the run's runtime folder are ended,
// stopped ones included (left_running counts any that would not end).
//
// Run from a release build without sanitizers:
//   cmake -S . -B build-release-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-release-bench --target server_typing_bench
//   build-release-bench/bin/server_typing_bench [--fault=none|window|converter|sentences|all]
//       [--passes=25] [--key_limit=N] [--time_limit=300] --benchmark_repetitions=3
// With repetitions, the _median rows give the medians of the figures over the runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench/bench_sentences.h"
#include "bench/scratch_home.h"
#include "bench/staged_program.h"
#include "bench/staged_server.h"
#include "session/engine_host.h"
#include "session/key_script.h"
#include "session/typing_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

enum class Fault { None, Window, Converter, Sentences };

struct FaultMode {
  Fault fault;
  const char* flag;
  const char* name;
};
constexpr FaultMode kFaultModes[] = {
    {Fault::None, "none", "normal"},
    {Fault::Window, "window", "window_stopped"},
    {Fault::Converter, "converter", "converter_stopped_traditional"},
    {Fault::Sentences, "sentences", "sentence_service_stopped"},
};

struct Settings {
  std::vector<Fault> faults{Fault::None};
  int passes = 25;
  long long key_limit = 0;        // 0: no limit
  double time_limit_s = 300;      // 0: no limit
};
Settings settings;

// --- What the engine's own driver commits ----------------------------------------------------

struct References {
  std::vector<std::string> sentences;            // the sentence service's, simplified
  std::vector<std::string> without_converter;    // traditional output with no converter
  std::vector<std::string> greedy;               // no sentence service
  std::string problem;
};

std::vector<kep_session::Key> keys_of(const char* sentence) {
  std::vector<kep_session::Key> keys;
  for (const char* c = sentence; *c != '\0'; ++c) keys.push_back({kep_session::KeyKind::Character, *c});
  keys.push_back({kep_session::KeyKind::Space, 0});
  return keys;
}

std::vector<std::string> driver_commits(bool traditional) {
  std::vector<std::string> texts;
  std::optional<kep_session::TypingSession> session = kep_session::TypingSession::open(traditional);
  if (!session) return texts;
  for (const char* sentence : kBenchSentences) {
    std::string committed;
    for (const kep_session::Key& key : keys_of(sentence)) {
      for (const std::string& text : session->type(key).commits) committed += text;
    }
    texts.push_back(committed);
  }
  return texts;
}

// The engine is started once in this process, in a runtime folder of its own; the services are
// the staged programs, ended one after the other.
References compute_references() {
  References references;
  PrivateRuntime runtime;
  std::optional<StagedProgram> converter;
  std::optional<StagedProgram> sentences;
  if (runtime.ok()) {
    converter.emplace(KEP_CONVERTER_PROGRAM, "KEPCCServerPort");
    sentences.emplace(KEP_SENTENCE_PROGRAM, "KEPCPServerPort");
  }
  std::string error;
  if (!runtime.ok()) {
    references.problem = "no runtime folder";
  } else if (!converter->serving() || !sentences->serving()) {
    references.problem = "the staged services did not start; is the root staged?";
  } else if (!kep_session::start_engine_host(&error)) {
    references.problem = "the engine did not start: " + error;
  } else {
    references.sentences = driver_commits(false);
    converter.reset();
    references.without_converter = driver_commits(true);
    sentences.reset();
    references.greedy = driver_commits(false);
    kep_session::stop_engine_host();
    const std::size_t count = std::size(kBenchSentences);
    if (references.sentences.size() != count || references.without_converter.size() != count ||
        references.greedy.size() != count) {
      references.problem = "the engine's driver did not type every sentence";
    }
  }
  return references;
}

const References& references() {
  static const References computed = compute_references();
  return computed;
}

const std::vector<std::string>& expected_for(Fault fault) {
  switch (fault) {
    case Fault::Converter: return references().without_converter;
    case Fault::Sentences: return references().greedy;
    case Fault::None:
    case Fault::Window: break;
  }
  return references().sentences;
}

// --- One run through the server ---------------------------------------------------------------

// Waits until the window's CPU time stops growing (it has drawn what it was sent), at most 10 s.
std::optional<std::chrono::microseconds> settled_cpu_time(pid_t pid) {
  std::optional<std::chrono::microseconds> last = bench_server::cpu_time(pid);
  int still = 0;
  const auto deadline = Clock::now() + 10s;
  while (last && still < 3 && Clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
    const std::optional<std::chrono::microseconds> now = bench_server::cpu_time(pid);
    still = now == last ? still + 1 : 0;
    last = now;
  }
  return last;
}

void BM_server_typing(benchmark::State& state, Fault fault) {
  if (!bench_sentences_fit()) return state.SkipWithError("every sentence must have 10-40 letters");
  if (!references().problem.empty()) return state.SkipWithError(references().problem.c_str());
  const std::vector<std::string>& expected = expected_for(fault);

  bench_server::ServerRun run({.traditional_output = fault == Fault::Converter});
  const std::optional<pid_t> window = run.wait_for(bench_server::kCandidateWindow);
  const std::optional<pid_t> converter = run.wait_for(bench_server::kConverter);
  const std::optional<pid_t> sentences = run.wait_for(bench_server::kSentenceService);
  bench_server::BenchDocument document;
  const std::uint32_t context =
      run.problem().empty() ? run.open_context("/usr/bin/server_typing_bench", document) : 0;
  if (context == 0) {
    const std::string why = run.problem();
    run.end_all();
    return state.SkipWithError(why.c_str());
  }
  platform::imk::Connection& connection = run.connection();

  std::error_code ignored;
  const std::optional<pid_t> stopped = fault == Fault::Window      ? window
                                       : fault == Fault::Converter ? converter
                                       : fault == Fault::Sentences ? sentences
                                                                   : std::nullopt;
  if (stopped) platform::process::send_signal(*stopped, SIGSTOP, ignored);

  std::vector<double> times;
  bool connection_lost = false;
  std::size_t not_handled = 0;
  std::size_t checked = 0;
  std::size_t wrong = 0;
  bool cut_short = false;
  const std::optional<std::chrono::microseconds> window_cpu_before = bench_server::cpu_time(*window);
  const Clock::time_point started = Clock::now();
  const Clock::time_point deadline =
      settings.time_limit_s > 0
          ? started + std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(settings.time_limit_s))
          : Clock::time_point::max();

  // Types one key; false when the run must end before it, or ended with it: a key the server
  // did not answer within the framework's reply time closes the connection (as it would the
  // application's), and that key's time is the last counted.
  auto timed_key = [&](char character) {
    if ((settings.key_limit > 0 && static_cast<long long>(times.size()) >= settings.key_limit) ||
        Clock::now() >= deadline) {
      cut_short = true;
      return false;
    }
    const auto stroke = platform::imk::key_for_character(character);
    const Clock::time_point start = Clock::now();
    const std::optional<bool> handled = connection.key_down(context, *stroke);
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!handled) {
      std::fprintf(stderr, "key %zu: no answer (%s); the run ends\n", times.size(),
                   connection.error().message().c_str());
      connection_lost = cut_short = true;
      return false;
    }
    if (!*handled) ++not_handled;
    return true;
  };

  for (auto _ : state) {
    for (int pass = 0; pass < settings.passes && !cut_short; ++pass) {
      for (std::size_t i = 0; i < std::size(kBenchSentences) && !cut_short; ++i) {
        const std::size_t mark = document.committed.size();
        bool typed = true;
        for (const char* key = kBenchSentences[i]; *key != '\0' && typed; ++key) typed = timed_key(*key);
        if (!typed || !timed_key(' ')) break;
        const std::string got = document.committed.substr(mark);
        ++checked;
        if (got != expected[i]) {
          if (++wrong <= 5) {
            std::fprintf(stderr, "pass %d, sentence %zu (%s): committed \"%s\", expected \"%s\"\n",
                         pass + 1, i + 1, kBenchSentences[i], got.c_str(), expected[i].c_str());
          }
        }
      }
    }
  }
  const double wall_s = std::chrono::duration<double>(Clock::now() - started).count();

  // The window's work for these keys, once it has drawn what it was sent.
  double window_us_per_key = -1;
  if (stopped) platform::process::send_signal(*stopped, SIGCONT, ignored);
  if (fault != Fault::Window && window_cpu_before && !times.empty()) {
    const std::optional<std::chrono::microseconds> after = settled_cpu_time(*window);
    if (after && bench_server::still_runs(*window)) {
      window_us_per_key = static_cast<double>((*after - *window_cpu_before).count()) /
                          static_cast<double>(times.size());
    }
  }

  state.counters["keys"] = static_cast<double>(times.size());
  state.counters["median_us"] = percentile(times, 0.5);
  state.counters["p99_us"] = percentile(times, 0.99);
  state.counters["max_us"] = percentile(times, 1.0);
  state.counters["connection_lost"] = connection_lost ? 1 : 0;
  state.counters["not_handled"] = static_cast<double>(not_handled);
  state.counters["sentences_checked"] = static_cast<double>(checked);
  state.counters["wrong_commits"] = static_cast<double>(wrong);
  state.counters["window_cpu_us_per_key"] = window_us_per_key;
  state.counters["cut_short"] = cut_short ? 1 : 0;
  state.counters["wall_s"] = wall_s;

  state.counters["left_running"] = static_cast<double>(run.end_all());
}

// --- Command line -----------------------------------------------------------------------------

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Takes this benchmark's own flags out of argv; false (after saying why) on a bad one.
bool take_flags(int* argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const std::string_view arg = argv[i];
    char* end = nullptr;
    if (starts_with(arg, "--fault=")) {
      const std::string_view value = arg.substr(8);
      settings.faults.clear();
      for (const FaultMode& mode : kFaultModes) {
        if (value == "all" || value == mode.flag) settings.faults.push_back(mode.fault);
      }
      if (settings.faults.empty()) {
        std::fprintf(stderr, "--fault: none, window, converter, sentences or all\n");
        return false;
      }
    } else if (starts_with(arg, "--passes=")) {
      settings.passes = static_cast<int>(std::strtol(argv[i] + 9, &end, 10));
      if (*end != '\0' || settings.passes < 1) return std::fprintf(stderr, "--passes: 1 or more\n"), false;
    } else if (starts_with(arg, "--key_limit=")) {
      settings.key_limit = std::strtoll(argv[i] + 12, &end, 10);
      if (*end != '\0' || settings.key_limit < 0) return std::fprintf(stderr, "--key_limit: 0 or more\n"), false;
    } else if (starts_with(arg, "--time_limit=")) {
      settings.time_limit_s = std::strtod(argv[i] + 13, &end);
      if (*end != '\0' || settings.time_limit_s < 0) {
        return std::fprintf(stderr, "--time_limit: seconds, 0 for none\n"), false;
      }
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!take_flags(&argc, argv)) return 2;
  for (const FaultMode& mode : kFaultModes) {
    if (std::find(settings.faults.begin(), settings.faults.end(), mode.fault) == settings.faults.end()) continue;
    benchmark::RegisterBenchmark((std::string("BM_server_typing/") + mode.name).c_str(),
                                 [fault = mode.fault](benchmark::State& state) { BM_server_typing(state, fault); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
  return run_benchmarks_in_scratch_home(argc, argv);
}
