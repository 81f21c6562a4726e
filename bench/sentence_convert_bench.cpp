// Sentence conversion through the port: the staged service program, running, asked by the
// engine's client for sentences of 2 to 30 syllables. Reports the median and 99th percentile
// of one request.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CoreSource/services/sentence_client.h"
#include "bench/staged_program.h"

namespace {

using Clock = std::chrono::steady_clock;

// Everyday syllables; a request of n syllables takes the first n.
const char* const kSyllables[] = {
    "wo",   "men",  "jin",  "tian", "qu",   "gong", "yuan", "san",  "bu",   "ran",
    "hou",  "zai",  "fan",  "dian", "chi",  "wan",  "fan",  "ta",   "shuo", "zhe",
    "ge",   "xi",   "tong", "neng", "gou",  "ba",   "pin",  "yin",  "zhuan", "huan"};

std::string request_of(int syllables) {
  std::string pinyin;
  for (int i = 0; i < syllables; ++i) {
    if (i > 0) pinyin += '_';
    pinyin += kSyllables[i];
  }
  return pinyin;
}

const StagedProgram* service = nullptr;

double percentile(std::vector<double>& samples, double share) {
  std::sort(samples.begin(), samples.end());
  const std::size_t index = static_cast<std::size_t>(share * (samples.size() - 1) + 0.5);
  return samples[index];
}

void BM_ConvertThroughPort(benchmark::State& state) {
  if (service == nullptr || !service->serving()) return state.SkipWithError("service not serving");
  const std::string pinyin = request_of(static_cast<int>(state.range(0)));
  std::vector<double> micros;
  std::size_t converted = 0;
  for (auto _ : state) {
    std::optional<std::string> reply;
    const auto start = Clock::now();
    const int sent = QCPSendDataWithReply(QCP_MSG_CONVERT_STREAM, pinyin, &reply);
    const auto took = Clock::now() - start;
    if (sent != 0 || !reply) return state.SkipWithError("no reply");
    converted += reply->starts_with("000:");
    micros.push_back(std::chrono::duration<double, std::micro>(took).count());
  }
  state.counters["median_us"] = percentile(micros, 0.5);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["converted"] = static_cast<double>(converted) / micros.size();
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items = requests");
}
BENCHMARK(BM_ConvertThroughPort)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Arg(30)->UseRealTime();

}  // namespace

// The service's data folder goes into a scratch HOME, removed afterwards.
int main(int argc, char** argv) {
  char home[] = "/tmp/kep-bench-XXXXXX";
  if (::mkdtemp(home) == nullptr) return 1;
  ::setenv("HOME", home, 1);
  benchmark::Initialize(&argc, argv);
  {
    PrivateRuntime runtime;
    StagedProgram running(KEP_SENTENCE_PROGRAM, "KEPCPServerPort");
    service = &running;
    benchmark::RunSpecifiedBenchmarks();
    service = nullptr;
  }
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return 0;
}
