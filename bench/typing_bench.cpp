// Per-key time of the full-pinyin matcher on the generated data of the staged root: twenty
// sentences of 10-40 letters typed key by key, each committed with Space. Reports the median and
// the 99th percentile of the time one key takes (the target is under 2 ms a key), once for the
// engine alone and once with the sentence service and the script converter running as shipped
// (the staged programs, in a runtime folder of the benchmark's own). Run from a release build
// without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel && build-rel/bin/typing_bench
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "CoreSource/base/config.h"
#include "CoreSource/dict/dictpool.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/start/startup.h"
#include "bench/bench_sentences.h"
#include "bench/scratch_home.h"
#include "bench/staged_program.h"

namespace {

using Clock = std::chrono::steady_clock;

// Feeds one key and records how long the matcher took, in microseconds.
int timed_key(ime_conversation_t* conversation, int key, std::vector<double>* times) {
  const Clock::time_point start = Clock::now();
  const int result = ime_convs_match(conversation, key);
  times->push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  return result;
}

// Starts the engine, types the sentences and reports the time of each key.
void type_with_engine(benchmark::State& state) {
  if (ime_init() != 0 || ime_load_phrase() != 0) {
    state.SkipWithError("the engine did not start; is the data generated in the staged root?");
    return;
  }
  ime_conversation_t* conversation = nullptr;
  if (ime_new_conversation(&conversation) != 0) {
    state.SkipWithError("no conversation");
    return;
  }
  ime_duration = 0;  // typed in one burst: nothing is learned into the user phrases
  std::vector<double> times;
  int committed = 0;
  for (auto _ : state) {
    for (const char* sentence : kBenchSentences) {
      ime_convs_reset(conversation);
      for (const char* key = sentence; *key != '\0'; ++key) timed_key(conversation, *key, &times);
      committed += timed_key(conversation, IME_KEY_SPACE, &times) == IME_MATCH_COMMITTED;
    }
  }
  state.counters["keys"] = static_cast<double>(times.size());
  state.counters["median_us"] = percentile(times, 0.5);
  state.counters["p99_us"] = percentile(times, 0.99);
  state.counters["max_us"] = percentile(times, 1.0);
  state.counters["commits"] = committed;
  ime_free_conversation(&conversation);
  ime_exit();
}

// The settings file the engine bundle ships, which the server hands the engine when the user
// has none of their own.
constexpr const char* kShippedSettings =
    KEP_STAGE_ROOT "/Library/Components/KEP.component/Contents/Resources/imkkep.plist";

// Types the sentences on the engine with the shipped settings, in the runtime folder the caller
// set up.
void type_sentences(benchmark::State& state) {
  if (!bench_sentences_fit()) {
    state.SkipWithError("every sentence must have 10-40 letters");
    return;
  }
  std::error_code error;
  const std::optional<platform::plist::Value> settings =
      platform::plist::read_file(kShippedSettings, error);
  if (!settings || !settings->is_dictionary()) {
    state.SkipWithError("no shipped settings; is the root staged?");
    return;
  }
  kIMEConfigureDictionary = settings->as_dictionary();
  type_with_engine(state);
  kIMEConfigureDictionary = nullptr;
}

// The engine alone: nobody serves the ports of the private runtime folder, so every request
// to a service fails at once.
void BM_typing_per_key(benchmark::State& state) {
  PrivateRuntime runtime;
  if (!runtime.ok()) return state.SkipWithError("no runtime folder");
  type_sentences(state);
}
BENCHMARK(BM_typing_per_key)->Unit(benchmark::kMillisecond)->Iterations(20);

// With the services the input-method server starts beside the engine.
void BM_typing_per_key_with_services(benchmark::State& state) {
  PrivateRuntime runtime;
  if (!runtime.ok()) return state.SkipWithError("no runtime folder");
  StagedProgram converter(KEP_CONVERTER_PROGRAM, "KEPCCServerPort");
  StagedProgram sentences(KEP_SENTENCE_PROGRAM, "KEPCPServerPort");
  if (!converter.serving() || !sentences.serving()) {
    return state.SkipWithError("the staged services did not start; is the root staged?");
  }
  type_sentences(state);
}
BENCHMARK(BM_typing_per_key_with_services)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  return run_benchmarks_in_scratch_home(argc, argv);
}
