// Simplified-to-traditional conversion: characters per second in process, and round trips
// per second through the converter's message port.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "CoreSource/services/ccclient.h"
#include "converter/cclog.h"
#include "converter/chinese_converter.h"
#include "converter/service/qcc_service.h"
#include "platform/files.h"
#include "platform/ports.h"
#include "platform/runloop.h"
#include "platform/text.h"
#include "bench/serving_thread.h"

namespace {

using namespace std::chrono_literals;

const char kParagraph[] =
    "我们在公园里散步，后来她去理发了。台湾的面条很好吃，一只猫在钟表店里睡觉。"
    "这个系统能够把简体中文转换成繁体中文，并且根据上下文修正一简对多繁的字。"
    "头发很干净，干部们复杂的计划终于完成了，大家都很高兴地回家了。";

const char* const kWords[] = {"头发", "干净", "理发", "后来", "面条", "钟表", "复杂", "干部"};

std::size_t characters_in(std::string_view utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
  return count;
}

std::unique_ptr<converter::ChineseConverter> load_converter() {
  converter::set_log_sink([](const char*) {});
  auto converter = converter::ChineseConverter::initWithFixFiles(KEP_CONVERTER_RESOURCES, {});
  converter::set_log_sink(nullptr);
  return converter;
}

void BM_ConvertParagraph(benchmark::State& state) {
  auto converter = load_converter();
  if (!converter) return state.SkipWithError("tables not found");
  std::string text;
  for (int i = 0; i < state.range(0); ++i) text += kParagraph;
  for (auto _ : state) benchmark::DoNotOptimize(converter->convertString(text));
  state.SetItemsProcessed(state.iterations() * characters_in(text));
  state.SetLabel("items = characters");
}
BENCHMARK(BM_ConvertParagraph)->Arg(1)->Arg(20);

void BM_ConvertCandidateWords(benchmark::State& state) {
  auto converter = load_converter();
  if (!converter) return state.SkipWithError("tables not found");
  std::size_t characters = 0;
  for (auto _ : state) {
    for (const char* word : kWords) {
      benchmark::DoNotOptimize(converter->convertString(word));
      characters += characters_in(word);
    }
  }
  state.SetItemsProcessed(characters);
  state.SetLabel("items = characters");
}
BENCHMARK(BM_ConvertCandidateWords);

// A port served on a thread of its own, for the benchmark's life.
class ServedPort {
 public:
  ServedPort(const char* name, platform::ports::Handler handler)
      : thread_([name, handler](platform::RunLoop& loop, std::promise<bool>& ready) {
          std::error_code port_error;
          auto port = platform::ports::LocalPort::create(name, handler, loop, port_error);
          ready.set_value(port != nullptr);
          if (port) loop.run();
        }) {}
  bool ok() const { return thread_.ok(); }

 private:
  ServingThread thread_;
};

void BM_PortRoundTrip(benchmark::State& state) {
  ServedPort served("BenchEcho", [](std::int32_t, std::string_view payload) {
    return std::optional<std::string>(payload);
  });
  std::error_code error;
  auto remote = platform::ports::RemotePort::open("BenchEcho", error);
  if (!served.ok() || !remote) return state.SkipWithError("port not served");
  const std::string payload(static_cast<std::size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    auto reply = remote->send(1, payload, 10s, 10s);
    if (reply.status != platform::ports::SendStatus::Success) return state.SkipWithError("send failed");
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items = round trips");
}
BENCHMARK(BM_PortRoundTrip)->Arg(16)->Arg(64 * 1024)->UseRealTime();

// The engine's request as it is made: a new connection, a conversion, the reply checked.
void BM_PortConvertThroughEngineClient(benchmark::State& state) {
  kConverterHandler = load_converter();
  ServedPort served(kQCCServerPortName, QCCMessageCallback);
  if (!served.ok() || !kConverterHandler) return state.SkipWithError("service not started");
  std::string out;
  const std::string word = "头发很干净";
  for (auto _ : state) {
    if (QAConvertChinese(word.data(), word.size(), &out) < 0) return state.SkipWithError("failed");
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items = round trips");
  kConverterHandler.reset();
}
BENCHMARK(BM_PortConvertThroughEngineClient)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
