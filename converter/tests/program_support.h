// Running the converter program in tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "converter/service/qcc_service.h"
#include "platform/tests/runtime_test_support.h"

namespace converter::testing {

// A converter program started for a test, killed when the test leaves it running.
class ConverterProgram : public platform::testing_support::ServiceProgram {
 public:
  explicit ConverterProgram(const std::filesystem::path& program,
                            std::vector<std::string> arguments = {})
      : ServiceProgram(program, kQCCServerPortName, std::move(arguments)) {}
};

}  // namespace converter::testing
