// Import of a large cell dictionary: a .scel of 1,000,000 words, written with the project's own
// writer, is loaded and exported into a dictionary folder as the updater does it. Reports the
// words imported per second and the peak resident memory of the import. Run from a release
// build without sanitizers:
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEP_SANITIZE=OFF
//   cmake --build build-rel --target scel_import_bench && build-rel/bin/scel_import_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/base/imelog.h"
#include "CoreSource/tables/pinyin_code.h"
#include "bench/scratch_home.h"
#include "celldict/scel_reader.h"
#include "celldict/scel_writer.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kWords = 1000000;

// A fixed sequence, so every run imports the same words.
class Random {
 public:
  std::uint32_t next(std::uint32_t below) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>((state_ >> 33) % below);
  }

 private:
  std::uint64_t state_ = 20240611;
};

// The first level of GB2312: 3755 common characters, rows 0xB0-0xD7.
std::vector<std::string> common_characters() {
  std::vector<std::string> characters;
  for (int row = 0xB0; row <= 0xD7; ++row) {
    for (int cell = 0xA1; cell <= (row == 0xD7 ? 0xF9 : 0xFE); ++cell) {
      const char gb[] = {static_cast<char>(row), static_cast<char>(cell)};
      auto utf8 = platform::text::to_utf8(std::string_view(gb, 2), platform::text::Encoding::Gb18030);
      if (utf8) characters.push_back(*utf8);
    }
  }
  return characters;
}

// Words of 2 to 4 syllables in groups of 1 to 4 words sharing a pinyin, as real cell
// dictionaries hold them; the characters need not match the syllables.
scel::WriterContents million_words() {
  std::vector<std::string> syllables;
  for (const char* const* s = ime_all_syllables; *s != nullptr; ++s) syllables.emplace_back(*s);
  const std::vector<std::string> characters = common_characters();
  Random random;
  scel::WriterContents contents;
  contents.uid = std::string("1");
  contents.name = std::string("benchmark");
  contents.version = 1700000000;
  contents.words.reserve(kWords);
  while (contents.words.size() < kWords) {
    std::vector<std::string> pinyin(2 + random.next(3));
    for (std::string& syllable : pinyin) syllable = syllables[random.next(static_cast<std::uint32_t>(syllables.size()))];
    for (std::uint32_t k = 1 + random.next(4); k > 0 && contents.words.size() < kWords; --k) {
      std::string text;
      for (std::size_t i = 0; i < pinyin.size(); ++i) {
        text += characters[random.next(static_cast<std::uint32_t>(characters.size()))];
      }
      contents.words.push_back({pinyin, text, static_cast<float>(random.next(100000))});
    }
  }
  return contents;
}

fs::path scel_path() { return fs::path(std::getenv("HOME")) / "million.scel"; }

// Written by a child process, so that the writer's memory does not count in the import's peak.
bool write_million_words() {
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    std::string error;
    const bool written = scel::write_file(scel_path(), million_words(), &error);
    if (!written) std::fprintf(stderr, "scel_import_bench: %s\n", error.c_str());
    ::_exit(written ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_scel_import(benchmark::State& state) {
  if (!fs::exists(scel_path()) && !write_million_words()) {
    state.SkipWithError("cannot write the cell dictionary");
    return;
  }
  std::uint64_t imported = 0;
  for (auto _ : state) {
    ScelReader reader;
    ScelExportStats stats;
    if (reader.load(scel_path()) != SCEL_OK || reader.exportTo(scel_path(), &stats) != 0) {
      state.SkipWithError("the import failed");
      return;
    }
    imported += stats.records;
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["words"] = static_cast<double>(imported) / static_cast<double>(state.iterations());
  state.counters["words_per_second"] = benchmark::Counter(static_cast<double>(imported), benchmark::Counter::kIsRate);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(scel_path())) / (1024.0 * 1024.0);
}
BENCHMARK(BM_scel_import)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  ime_log_func = [](const char*) {};  // the import's progress lines would bury the table
  return run_benchmarks_in_scratch_home(argc, argv);
}
