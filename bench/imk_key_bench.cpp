// One key through the whole road: from a client of the input-method framework to the server's
// "handled" answer, with the server program started on the generated data of the staged root.
// Twenty sentences of 10-40 letters are typed key by key and committed with Space; reports the
// median and the 99th percentile of one key's round trip (the target is a 99th percentile
// under 2 ms). Run from a release build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel && build-rel/bin/imk_key_bench
#include <benchmark/benchmark.h>

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_sentences.h"
#include "bench/scratch_home.h"
#include "platform/files.h"
#include "platform/imk/client.h"
#include "platform/process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kServerProgram =
    KEP_STAGE_ROOT "/Library/Input Methods/IMKKEP.app/Contents/MacOS/IMKKEP";

// A document that takes what the server writes and answers its queries plainly.
class BenchDocument : public platform::imk::Document {
 public:
  void set_marked_text(std::string_view, platform::imk::Range, platform::imk::Range,
                       platform::imk::MarkedTextStyle) override {}
  void insert_text(std::string_view text, platform::imk::Range) override { committed += text; }
  std::optional<platform::imk::Range> selected_range() override {
    return platform::imk::Range{0, 0};
  }
  std::optional<std::string> substring(platform::imk::Range) override { return std::nullopt; }
  std::optional<platform::imk::Rect> line_rect(std::uint64_t) override {
    return platform::imk::Rect{100, 700, 1, 16};
  }
  std::string committed;
};

void BM_key_through_server(benchmark::State& state) {
  for (const char* sentence : kBenchSentences) {
    const std::size_t letters = std::strlen(sentence);
    if (letters < 10 || letters > 40) {
      state.SkipWithError("every sentence must have 10-40 letters");
      return;
    }
  }
  std::error_code error;
  const std::filesystem::path runtime = *platform::files::make_temp_directory({}, "kep-bench-", error);
  ::setenv("KEP_RUNTIME_DIR", runtime.c_str(), 1);
  ::setenv("KEP_ROOT", KEP_STAGE_ROOT, 1);
  std::optional<pid_t> server = platform::process::launch(kServerProgram, {kServerProgram}, error);
  if (!server) {
    state.SkipWithError("the server program did not start; is it staged?");
    return;
  }
  platform::imk::ClientInfo info;
  info.application_path = "/usr/bin/imk_key_bench";
  info.bundle_identifier = "com.corvana.bench";
  std::unique_ptr<platform::imk::Connection> connection;
  for (int attempt = 0; attempt < 200 && !connection; ++attempt) {
    connection = platform::imk::Connection::connect("KEPInputConnectionName", info, error);
    if (!connection) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  BenchDocument document;
  const std::uint32_t context = connection ? connection->create_context(document) : 0;
  if (context == 0 || !connection->activate(context, false)) {
    state.SkipWithError("the server did not take the client");
  } else {
    std::vector<double> times;
    std::size_t unanswered = 0;
    auto timed_key = [&](char character) {
      const auto stroke = platform::imk::key_for_character(character);
      const Clock::time_point start = Clock::now();
      const std::optional<bool> handled = connection->key_down(context, *stroke);
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
    connection->deactivate(context, platform::imk::DeactivationReason::FocusMoved);
    connection->destroy_context(context);
  }
  connection.reset();
  platform::process::send_signal(*server, SIGTERM, error);
  platform::process::wait_for_exit(*server, std::chrono::seconds(10));
  std::filesystem::remove_all(runtime, error);
}
BENCHMARK(BM_key_through_server)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return run_benchmarks_in_scratch_home(argc, argv); }
