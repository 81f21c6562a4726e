// Engine start-up on the generated data of the staged root: the time ime_init takes and the
// memory it leaves resident. Run from a release build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel && build-rel/bin/engine_init_bench
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "CoreSource/start/startup.h"
#include "bench/scratch_home.h"

namespace {

// Resident set size of this process in bytes, from /proc.
double resident_bytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
  }
  return 0;
}

void BM_ime_init(benchmark::State& state) {
  for (auto _ : state) {
    if (ime_init() != 0) {
      state.SkipWithError("ime_init failed; is the data generated in the staged root?");
      return;
    }
    state.PauseTiming();
    ime_exit();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ime_init)->Unit(benchmark::kMillisecond);

void BM_ime_init_resident_memory(benchmark::State& state) {
  for (auto _ : state) {
    ime_exit();
    double before = resident_bytes();
    if (ime_init() != 0) {
      state.SkipWithError("ime_init failed");
      return;
    }
    state.counters["rss_MB"] = resident_bytes() / (1024.0 * 1024.0);
    state.counters["added_MB"] = (resident_bytes() - before) / (1024.0 * 1024.0);
  }
}
BENCHMARK(BM_ime_init_resident_memory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return run_benchmarks_in_scratch_home(argc, argv, [] { ime_exit(); });
}
