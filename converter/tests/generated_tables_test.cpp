// The tables generated at build time from the open dictionaries, and the staged bundle.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "converter/chinese_converter.h"
#include "converter/service/qcc_service.h"
#include "converter/tests/fixture_tables.h"
#include "converter/tests/program_support.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path kResources = KEP_CONVERTER_RESOURCES;

TEST(GeneratedTablesTest, ConvertWordsWhoseCharactersHaveSeveralTraditionalForms) {
  converter::testing::LogCapture quiet;
  auto converter = converter::ChineseConverter::initWithFixFiles(kResources, {});
  ASSERT_TRUE(converter);
  const std::pair<const char*, const char*> cases[] = {
      {"头发很干净", "頭髮很乾淨"}, {"理发", "理髮"}, {"皇后", "皇后"},  {"干部", "幹部"},
      {"后来", "後來"},             {"一只", "一隻"}, {"钟表", "鐘錶"},  {"面条", "麪條"},
      {"复杂", "複雜"},             {"台风", "颱風"}, {"发现", "發現"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(converter->convertString(input), std::optional<std::string>(expected)) << input;
  }
  EXPECT_EQ(converter->dbVersion().find("Unknown"), std::string::npos) << converter->dbVersion();
}

// The staged program finds the tables of its own bundle; the copy in build/bin finds the
// bundle under the staged root.
TEST(GeneratedTablesTest, ProgramsFindTheirTablesWithoutBeingTold) {
  const fs::path bundled = kResources.parent_path() / "MacOS" / "IMKKEPSimp2TradConverter";
  for (const fs::path& program : {bundled, fs::path(KEP_CONVERTER_PROGRAM)}) {
    platform::testing_support::PrivateRuntimeDir runtime;
    platform::testing_support::ScopedEnv root("KEP_ROOT", std::nullopt);
    converter::testing::ConverterProgram running(program);
    ASSERT_TRUE(running.wait_until_serving()) << program;
    std::error_code error;
    auto remote = platform::ports::RemotePort::open(kQCCServerPortName, error);
    ASSERT_TRUE(remote) << program;
    EXPECT_EQ(remote->send(100, "头发", 5s, 5s).data, std::optional<std::string>("000:頭髮"));
    auto status = running.terminate();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << program;
  }
}

}  // namespace
