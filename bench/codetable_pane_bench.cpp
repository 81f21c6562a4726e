// The code-table pane's build of a large table against the developer driver's: a source of
// 500,000 (code, text) pairs is built once through the pane's path (the compiler on a worker,
// each report performed on a run loop in a progress bar and a status line while the worker
// waits, then the scheme file written on the loop, as the build sheet does) and once by
// `kep-codetable build` alone (a process of its own, which also reads the source again for the
// longest code). Reports both medians, their ratio (the pane's watching should cost little: a
// report every step, not every pair) and the progress messages one build sends.
// Run from a release build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel --target codetable_pane_bench && build-rel/bin/codetable_pane_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/scratch_home.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "preferences/codetable/code_source.h"
#include "preferences/codetable/scheme_line.h"
#include "preferences/codetable/table_build.h"
#include "preferences/codetablepane/pane_log.h"
#include "preferences/codetablepane/sheet_observer.h"
#include "preferences/panekit/main_thread.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kPairs = 500000;

fs::path home() { return fs::path(std::getenv("HOME")); }
fs::path source_path() { return home() / "pairs.txt"; }

// Codes of one to four letters, two texts a line on every other line, as input-method tables
// give several texts to one code.
bool write_source() {
  std::ofstream out(source_path(), std::ios::binary | std::ios::trunc);
  const char* texts[] = {"天", "地", "人", "和", "春", "夏", "秋", "冬"};
  std::size_t pairs = 0;
  for (std::size_t line = 0; pairs < kPairs; ++line) {
    std::string code;
    for (std::size_t rest = line; code.empty() || rest > 0; rest /= 26) code += static_cast<char>('a' + rest % 26);
    out << code << ' ' << texts[line % 8] << texts[(line / 8) % 8];
    ++pairs;
    if (line % 2 == 0 && pairs < kPairs) {
      out << ' ' << texts[(line + 3) % 8];
      ++pairs;
    }
    out << '\n';
  }
  return static_cast<bool>(out);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct PaneBuild {
  bool built = false;
  std::uint64_t messages = 0;
};

PaneBuild build_as_the_pane(const fs::path& folder) {
  platform::RunLoop loop;
  platform::ui::ProgressIndicator bar({0, 0, 400, 16}, loop);
  platform::ui::TextField status({0, 0, 400, 20});
  auto main = std::make_shared<panekit::MainThread>(loop);
  codetablepane::SheetObserver observer(main, &bar, &status);
  PaneBuild result;
  // The sheet reads the source once before it starts the build, to refuse one that is not UTF-8.
  if (!codetable::IsUtf8File(source_path())) return result;
  std::thread worker([&] {
    std::string error;
    const bool built = codetable::BuildSQLPlug(source_path(), "T", folder, &observer, &error) == 0;
    main->run([&] {
      codetable::SchemeLine scheme;
      result.built = built && codetable::WriteSchemeFile(folder / "T.pct", scheme, &error);
      loop.stop();
    });
  });
  loop.run();
  worker.join();
  main->close();
  result.messages = observer.progress_messages();
  return result;
}

bool build_with_the_driver(const fs::path& folder) {
  const std::string program = KEP_CODETABLE_PROGRAM;
  std::vector<std::string> args = {program, "build", source_path(), "T", "--out", folder};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_codetable_pane_build(benchmark::State& state) {
  if (!fs::exists(source_path()) && !write_source()) {
    state.SkipWithError("cannot write the source");
    return;
  }
  const fs::path pane_folder = home() / "pane";
  const fs::path driver_folder = home() / "driver";
  fs::create_directories(pane_folder);
  fs::create_directories(driver_folder);
  std::vector<double> pane_ms;
  std::vector<double> driver_ms;
  std::uint64_t messages = 0;
  for (auto _ : state) {
    auto started = Clock::now();
    const PaneBuild pane = build_as_the_pane(pane_folder);
    pane_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    if (!pane.built) {
      state.SkipWithError("the pane's build failed");
      return;
    }
    messages = pane.messages;

    started = Clock::now();
    if (!build_with_the_driver(driver_folder)) {
      state.SkipWithError("kep-codetable build failed");
      return;
    }
    driver_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
  }
  const double pane = median(pane_ms);
  const double driver = median(driver_ms);
  state.counters["pane_ms_median"] = pane;
  state.counters["driver_ms_median"] = driver;
  state.counters["pane_over_driver"] = driver > 0 ? pane / driver : 0;
  state.counters["progress_messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_codetable_pane_build)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The compiler's lines would bury the table.
  codetablepane::set_pane_log_sink([](const std::string&) {});
  return run_benchmarks_in_scratch_home(argc, argv);
}
