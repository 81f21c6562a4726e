// Per-key time of the full-pinyin matcher on the generated data of the staged root: twenty
// sentences of 10-40 letters typed key by key, each committed with Space. Reports the median and
// the 99th percentile of the time one key takes (the target is under 2 ms a key). Run from a
// release build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel && build-rel/bin/typing_bench
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/dict/dictpool.h"
#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/match/imeconvs2.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/start/startup.h"
#include "bench/bench_sentences.h"
#include "bench/scratch_home.h"

namespace {

using Clock = std::chrono::steady_clock;

// Feeds one key and records how long the matcher took, in microseconds.
int timed_key(ime_conversation_t* conversation, int key, std::vector<double>* times) {
  const Clock::time_point start = Clock::now();
  const int result = ime_convs_match(conversation, key);
  times->push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  return result;
}

void BM_typing_per_key(benchmark::State& state) {
  for (const char* sentence : kBenchSentences) {
    const std::size_t letters = std::strlen(sentence);
    if (letters < 10 || letters > 40) {
      state.SkipWithError("every sentence must have 10-40 letters");
      return;
    }
  }
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
BENCHMARK(BM_typing_per_key)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  return run_benchmarks_in_scratch_home(argc, argv);
}
