// One key through the whole road: from a client of the input-method framework to the server's
// "handled" answer, with the server program started on the generated data of the staged root
// (it starts its companions as shipped). Twenty sentences of 10-40 letters are typed key by key
// and committed with Space; reports the median and the 99th percentile of one key's round trip.
// The server and every companion it started are ended after each run. Run from a release build
// without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel && build-rel/bin/imk_key_bench
// server_typing_bench types the same sentences with every companion, checks the commits, and
// measures the candidate window's CPU and the companions' faults.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/bench_sentences.h"
#include "bench/scratch_home.h"
#include "bench/staged_server.h"

namespace {

using Clock = std::chrono::steady_clock;

void BM_key_through_server(benchmark::State& state) {
  if (!bench_sentences_fit()) {
    state.SkipWithError("every sentence must have 10-40 letters");
    return;
  }
  bench_server::ServerRun run({});
  bench_server::BenchDocument document;
  const std::uint32_t context = run.open_context("/usr/bin/imk_key_bench", document);
  if (context == 0) {
    state.SkipWithError(run.problem().c_str());
  } else {
    platform::imk::Connection& connection = run.connection();
    std::vector<double> times;
    std::size_t unanswered = 0;
    auto timed_key = [&](char character) {
      const auto stroke = platform::imk::key_for_character(character);
      const Clock::time_point start = Clock::now();
      const std::optional<bool> handled = connection.key_down(context, *stroke);
      times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      if (!handled) ++unanswered;
    };
    for (auto _ : state) {
      for (const char* sentence : kBenchSentences) {
        for (const char* key = sentence; *key != '\0'; ++key) timed_key(*key);
        timed_key(' ');
      }
    }
    state.counters["keys"] = static_cast<double>(times.size());
    state.counters["median_us"] = percentile(times, 0.5);
    state.counters["p99_us"] = percentile(times, 0.99);
    state.counters["max_us"] = percentile(times, 1.0);
    state.counters["unanswered"] = static_cast<double>(unanswered);
    state.counters["committed_bytes"] = static_cast<double>(document.committed.size());
  }
  state.counters["left_running"] = static_cast<double>(run.end_all());
}
BENCHMARK(BM_key_through_server)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return run_benchmarks_in_scratch_home(argc, argv); }
