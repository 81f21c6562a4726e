// The dictionary pane's import of a large cell dictionary against the library's own: a .scel of
// 1,000,000 words, written with the project's own writer, is imported once through the pane's
// path (the staged import on a worker, its progress performed on a run loop that waits for
// each report, as the sheet's bar gets it) and once by the library alone (exportTo, nobody
// watching). Reports both medians, their ratio (the pane's watching should cost at most about
// a tenth), the progress messages one import sends, and the median of the staged import with
// nobody watching, which tells the watching's cost from the staging's. Run from a release
// build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel --target dictionary_pane_bench && build-rel/bin/dictionary_pane_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "CoreSource/tables/pinyin_code.h"
#include "bench/scratch_home.h"
#include "celldict/scel_reader.h"
#include "celldict/scel_writer.h"
#include "celldict/update/staged_import.h"
#include "celldict/update/update_log.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/progress_indicator.h"
#include "preferences/dictionary/controls_reporter.h"
#include "preferences/panekit/main_thread.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kWords = 1000000;

// Word i spells its number in syllables (two to four of them, the last digits first) and
// writes one character per syllable; words of one pinyin come in runs, as cell dictionaries
// group them. The characters need not match the syllables.
scel::WriterContents million_words() {
  std::vector<std::string> syllables;
  for (const char* const* s = ime_all_syllables; *s != nullptr; ++s) syllables.emplace_back(*s);
  const std::vector<std::string> characters = {"天", "地", "人", "和", "春", "夏", "秋", "冬",
                                               "山", "水", "风", "云", "花", "木", "日", "月"};
  scel::WriterContents contents;
  contents.uid = std::string("1");
  contents.name = std::string("pane benchmark");
  contents.version = 1700000000;
  contents.words.reserve(kWords);
  const std::size_t base = syllables.size();
  for (std::size_t i = 0; i < kWords; ++i) {
    const std::size_t pinyin_number = i / 3;  // three words a pinyin
    std::vector<std::string> pinyin;
    std::string text;
    std::size_t rest = pinyin_number;
    do {
      pinyin.push_back(syllables[rest % base]);
      rest /= base;
    } while (rest > 0 || pinyin.size() < 2);
    for (std::size_t k = 0; k < pinyin.size(); ++k) {
      text += characters[(i + k * 7 + (i % 3) * 5) % characters.size()];
    }
    contents.words.push_back({pinyin, text, static_cast<float>(i % 100000)});
  }
  return contents;
}

fs::path scel_path() { return fs::path(std::getenv("HOME")) / "million.scel"; }
fs::path dictionaries() { return fs::path(std::getenv("HOME")) / "Library/KEP/Dictionary"; }

bool write_million_words() {
  std::string error;
  if (scel::write_file(scel_path(), million_words(), &error)) return true;
  std::fprintf(stderr, "dictionary_pane_bench: %s\n", error.c_str());
  return false;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct PaneImport {
  bool imported = false;
  std::uint64_t messages = 0;
};

// The pane's path: the worker builds while the loop performs each report on a bar and a
// status line, the worker waiting for it. Without `watched`, the same staged import with
// nobody watching, which tells the watching's cost from the staging's.
PaneImport import_as_the_pane(bool watched = true) {
  platform::RunLoop loop;
  platform::ui::ProgressIndicator bar({0, 0, 400, 16}, loop);
  platform::ui::TextField status({0, 0, 400, 20});
  auto main = std::make_shared<panekit::MainThread>(loop);
  dictpane::ControlsReporter reporter(main, &bar, &status, false);
  ScelReader reader;
  if (reader.load(scel_path()) != SCEL_OK) return {};
  celldict::update::ImportOptions options;
  options.destination = celldict::update::ImportOptions::Destination::Installed;
  options.reporter = watched ? &reporter : nullptr;
  PaneImport result;
  std::thread worker([&] {
    result.imported =
        celldict::update::importLoadedCellDict(reader, dictionaries(), "million.scel", options)
            .imported();
    loop.perform([&loop] { loop.stop(); });
  });
  loop.run();
  worker.join();
  main->close();
  result.messages = reporter.progress_messages();
  return result;
}

void BM_dictionary_pane_import(benchmark::State& state) {
  if (!fs::exists(scel_path()) && !write_million_words()) {
    state.SkipWithError("cannot write the cell dictionary");
    return;
  }
  fs::create_directories(dictionaries());
  std::vector<double> pane_ms;
  std::vector<double> library_ms;
  std::vector<double> unwatched_ms;
  std::uint64_t messages = 0;
  for (auto _ : state) {
    auto started = Clock::now();
    const PaneImport pane = import_as_the_pane();
    pane_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    if (!pane.imported) {
      state.SkipWithError("the pane's import failed");
      return;
    }
    messages = pane.messages;

    started = Clock::now();
    if (!import_as_the_pane(false).imported) {
      state.SkipWithError("the unwatched staged import failed");
      return;
    }
    unwatched_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());

    started = Clock::now();
    ScelReader reader;
    if (reader.load(scel_path()) != SCEL_OK || reader.exportTo(scel_path()) != 0) {
      state.SkipWithError("the library's import failed");
      return;
    }
    library_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
  }
  const double pane = median(pane_ms);
  const double library = median(library_ms);
  state.counters["pane_ms_median"] = pane;
  state.counters["library_ms_median"] = library;
  state.counters["pane_over_library"] = library > 0 ? pane / library : 0;
  state.counters["unwatched_staged_ms_median"] = median(unwatched_ms);
  state.counters["progress_messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_dictionary_pane_import)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The import's progress lines would bury the table.
  ime_log_func = [](const char*) {};
  celldict::update::set_log_sink([](std::string_view) {});
  return run_benchmarks_in_scratch_home(argc, argv);
}
