// The converter service under concurrent clients: requests per second and the 99th-percentile
// latency for 1, 4, 16 and 64 clients. The service is the real one (its message handler on
// its own port, served by a run loop on a thread of its own); each client is a thread.
//
//   converter_concurrency_bench [--seconds S] [--runs R]
//
// Two ways of asking: "kept" clients hold one connection for all their requests; "new"
// clients connect for every request, as the engine's client does. Each row is the median of
// R runs of S seconds.
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "CoreSource/services/ccclient.h"
#include "converter/cclog.h"
#include "converter/chinese_converter.h"
#include "converter/service/qcc_service.h"
#include "platform/files.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "bench/serving_thread.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kWord = "头发很干净";

struct RunResult {
  double requests_per_second = 0;
  double p99_microseconds = 0;
  long failures = 0;
};

// The converter service on a private runtime folder, served from a thread.
class ConverterService {
 public:
  ConverterService() : thread_(start()) {}
  ~ConverterService() = default;
  bool ok() const { return thread_.ok(); }

 private:
  static ServingThread::Serve start() {
    converter::set_log_sink([](const char*) {});
    kConverterHandler = converter::ChineseConverter::initWithFixFiles(KEP_CONVERTER_RESOURCES, {});
    return [](platform::RunLoop& loop, std::promise<bool>& ready) {
      bool ok = kConverterHandler && QCCInitialize(loop) == 0;
      ready.set_value(ok);
      if (ok) loop.run();
      QCCShutdown();
      kConverterHandler.reset();
    };
  }

  ServingThread thread_;
};

// One client's loop until `stop`: appends the latency of each answered request.
void run_client(bool reconnect, const std::atomic<bool>& stop, std::vector<double>& latencies,
                long& failures) {
  std::optional<platform::ports::RemotePort> kept;
  std::string out;
  while (!stop.load(std::memory_order_relaxed)) {
    auto start = Clock::now();
    bool ok;
    if (reconnect) {
      ok = QAConvertChinese(kWord.data(), kWord.size(), &out) > 0;
    } else {
      std::error_code error;
      if (!kept) kept = platform::ports::RemotePort::open(kQCCServerPortName, error);
      auto reply = kept ? kept->send(QCC_MSG_CONVERT, kWord, 10s, 10s) : platform::ports::Reply{};
      ok = kept && reply.status == platform::ports::SendStatus::Success && reply.data &&
           reply.data->rfind("000:", 0) == 0;
      if (!ok) kept.reset();
    }
    auto elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (ok) {
      latencies.push_back(elapsed);
    } else {
      ++failures;
    }
  }
}

RunResult run_once(int clients, bool reconnect, std::chrono::milliseconds duration) {
  std::atomic<bool> stop{false};
  std::vector<std::vector<double>> latencies(clients);
  std::vector<long> failures(clients, 0);
  std::vector<std::thread> threads;
  auto start = Clock::now();
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back(run_client, reconnect, std::cref(stop), std::ref(latencies[i]),
                         std::ref(failures[i]));
  }
  std::this_thread::sleep_for(duration);
  stop = true;
  for (std::thread& thread : threads) thread.join();
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::vector<double> all;
  RunResult result;
  for (int i = 0; i < clients; ++i) {
    all.insert(all.end(), latencies[i].begin(), latencies[i].end());
    result.failures += failures[i];
  }
  result.requests_per_second = static_cast<double>(all.size()) / seconds;
  if (!all.empty()) {
    auto p99 = all.begin() + static_cast<std::ptrdiff_t>((all.size() - 1) * 99 / 100);
    std::nth_element(all.begin(), p99, all.end());
    result.p99_microseconds = *p99;
  }
  return result;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2;
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    else if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
  }
  ConverterService service;
  if (!service.ok()) {
    std::fprintf(stderr, "the converter service did not start (tables in %s?)\n",
                 KEP_CONVERTER_RESOURCES);
    return 1;
  }
  auto duration = std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  std::printf("| connections | clients | requests/s | p99 latency (ms) | failed requests |\n");
  std::printf("|---|---:|---:|---:|---:|\n");
  for (bool reconnect : {false, true}) {
    for (int clients : {1, 4, 16, 64}) {
      std::vector<double> rates, p99s, failed;
      for (int run = 0; run < runs; ++run) {
        RunResult result = run_once(clients, reconnect, duration);
        rates.push_back(result.requests_per_second);
        p99s.push_back(result.p99_microseconds);
        failed.push_back(static_cast<double>(result.failures));
      }
      std::printf("| %s | %d | %.0f | %.2f | %.0f |\n", reconnect ? "new" : "kept", clients,
                  median(rates), median(p99s) / 1000.0, median(failed));
      std::fflush(stdout);
    }
  }
  return 0;
}
