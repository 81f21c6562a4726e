#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "CoreSource/services/ccclient.h"
#include "converter/service/qcc_service.h"
#include "converter/tests/fixture_tables.h"
#include "converter/tests/program_support.h"
#include "platform/ports.h"
#include "platform/process.h"
#include "platform/tests/runtime_test_support.h"
#include "platform/text.h"

namespace {

using namespace std::chrono_literals;
using platform::testing_support::PrivateRuntimeDir;
using platform::testing_support::TempDir;
using converter::testing::ConverterProgram;

struct Exchange {
  std::int32_t id;
  std::string payload;
  std::optional<std::string> reply;
};

const char kDbVersion[] =
    "CoreFix db-1 fixture fix 1, CoreFix db-2 fixture fix 2, Core han db fixture chars";

std::vector<Exchange> protocol_cases() {
  return {
      {100, "头发很干净", std::string("000:頭髮很乾淨")},
      {100, "plain ASCII", std::string("000:plain ASCII")},
      {100, "", std::string("003:Convert to Traditional Chinese failed!")},
      {100, "\xC3\x28", std::string("002:Create string object for input data failed!")},
      {102, "ignored", std::string("1.0")},
      {103, "", std::string(kDbVersion)},
      {101, "头发", std::nullopt},
  };
}

class QCCServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    converter::testing::write_fixture_tables(tables_.path());
    converter::testing::LogCapture quiet;
    kConverterHandler = converter::ChineseConverter::initWithFixFiles(tables_.path(), {});
    ASSERT_TRUE(kConverterHandler);
  }
  void TearDown() override { kConverterHandler.reset(); }
  TempDir tables_;
};

TEST_F(QCCServiceTest, AnswersEachMessageOfThePort) {
  converter::testing::LogCapture quiet;
  for (const Exchange& c : protocol_cases()) {
    EXPECT_EQ(QCCMessageCallback(c.id, c.payload), c.reply) << c.id << " " << c.payload;
  }
}

TEST_F(QCCServiceTest, WithoutAConverterEveryMessageGetsStatusOne) {
  kConverterHandler.reset();
  for (std::int32_t id : {100, 102, 103, 7}) {
    EXPECT_EQ(QCCMessageCallback(id, "x"),
              std::optional<std::string>("001:Chinese Converter Instance not initaliazed."));
  }
}

TEST(QCErrorTest, FormatsAndBoundsTheReply) {
  EXPECT_EQ(QCError(3, "bad"), "003:bad");
  EXPECT_EQ(QCError(12, ""), "012:");
  std::string long_message;
  for (int i = 0; i < 400; ++i) long_message += "长";  // three bytes each
  std::string reply = QCError(2, long_message);
  EXPECT_LE(reply.size(), 1023u);
  EXPECT_GE(reply.size(), 1021u);
  EXPECT_TRUE(platform::text::is_valid_utf8(reply));  // not cut inside a character
}

TEST(ConverterProgramTest, ServesTheProtocolAndTheEngineClientUntilTerminated) {
  PrivateRuntimeDir runtime;
  TempDir tables;
  converter::testing::write_fixture_tables(tables.path());
  ConverterProgram program(KEP_CONVERTER_PROGRAM, {"--resources", tables.path().string()});
  ASSERT_TRUE(program.wait_until_serving());

  std::error_code error;
  auto remote = platform::ports::RemotePort::open(kQCCServerPortName, error);
  ASSERT_TRUE(remote);
  for (const Exchange& c : protocol_cases()) {
    auto reply = remote->send(c.id, c.payload, 2s, 2s);
    EXPECT_EQ(reply.status, platform::ports::SendStatus::Success) << c.id;
    EXPECT_EQ(reply.data, c.reply) << c.id << " " << c.payload;
  }

  // The engine's client, through the running service.
  std::string out;
  const std::string text = "头发很干净";
  EXPECT_EQ(QAConvertChinese(text.data(), text.size(), &out), static_cast<int>(std::string("頭髮很乾淨").size()));
  EXPECT_EQ(out, "頭髮很乾淨");
  out = "untouched";
  EXPECT_EQ(QAConvertChinese("", 0, &out), -5);  // the service answers 003
  EXPECT_EQ(out, "untouched");
  EXPECT_EQ(QAConvertChinese(text.data(), text.size(), nullptr), -1);

  // A second copy finds the port taken and ends instead of stealing it.
  ConverterProgram second(KEP_CONVERTER_PROGRAM, {"--resources", tables.path().string()});
  auto second_status = second.wait_for_exit();
  ASSERT_TRUE(second_status);
  EXPECT_TRUE(WIFEXITED(*second_status) && WEXITSTATUS(*second_status) == 1);
  EXPECT_EQ(remote->send(102, "", 2s, 2s).data, std::optional<std::string>("1.0"));

  auto status = program.terminate();
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
  EXPECT_FALSE(std::filesystem::exists(runtime.path() / "KEPCCServerPort.port"));

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QAConvertChinese(text.data(), text.size(), &out), -2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

TEST(ConverterProgramTest, EndsWhenItsTablesAreMissing) {
  PrivateRuntimeDir runtime;
  TempDir empty;
  ConverterProgram program(KEP_CONVERTER_PROGRAM, {"--resources", empty.path().string()});
  auto status = program.wait_for_exit();
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);
}

TEST(ConverterProgramTest, EndsInsteadOfServingDamagedTables) {
  for (const converter::testing::DamagedTable& damaged : converter::testing::damaged_tables()) {
    PrivateRuntimeDir runtime;
    TempDir tables;
    converter::testing::write_damaged_fixture_tables(tables.path(), damaged);
    ConverterProgram program(KEP_CONVERTER_PROGRAM, {"--resources", tables.path().string()});
    auto status = program.wait_for_exit();
    ASSERT_TRUE(status) << damaged.file << ": " << damaged.what << " is served";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1)
        << damaged.file << ": " << damaged.what;
    std::error_code error;
    EXPECT_FALSE(platform::ports::RemotePort::open(kQCCServerPortName, error));
  }
}

}  // namespace
