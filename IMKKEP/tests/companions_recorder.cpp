#include <gtest/gtest.h>

#include "IMKKEP/tests/companions_fixture.h"

namespace companions_test {

std::vector<Launch>& launches() {
  static std::vector<Launch> recorded;
  return recorded;
}

std::vector<std::string> launched_names() {
  std::vector<std::string> names;
  for (const Launch& launch : launches()) names.push_back(launch.program.filename().string());
  return names;
}

void clear() {
  launches().clear();
  imkkep::KEPSetCompanionLauncher([](const std::filesystem::path& program, bool to_front) {
    launches().push_back({program, to_front});
    return 0;
  });
}

namespace {

class RecordCompanionLaunches : public ::testing::Environment {
 public:
  void SetUp() override { clear(); }
};

const ::testing::Environment* const kRecorder =
    ::testing::AddGlobalTestEnvironment(new RecordCompanionLaunches);

}  // namespace
}  // namespace companions_test
