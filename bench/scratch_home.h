// Runs the benchmarks of a program with HOME pointing at a scratch folder, so that no benchmark
// ever touches the user's data folder (counters, learned phrases), and removes it afterwards.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <system_error>

inline int run_benchmarks_in_scratch_home(int argc, char** argv,
                                          const std::function<void()>& before_cleanup = {}) {
  char home[] = "/tmp/kep-bench-XXXXXX";
  if (::mkdtemp(home) == nullptr) return 1;
  ::setenv("HOME", home, 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (before_cleanup) before_cleanup();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return 0;
}
