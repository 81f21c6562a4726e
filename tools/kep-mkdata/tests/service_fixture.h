// The matcher with the sentence service in use (its word libraries taken as installed, the
// setting EnableTAV on) and a runtime folder of the test's own, where the test serves the
// service's port, or nobody does.
#pragma once

#include <memory>

#include "CoreSource/match/convs_sentence.h"
#include "CoreSource/services/sentence_client.h"
#include "matcher_fixture.h"
#include "platform/tests/runtime_test_support.h"

namespace matcher_test {

class ServiceTest : public MatcherTest {
 protected:
  void SetUp() override {
    MatcherTest::SetUp();
    set("EnableTAV", true);
    ime_full_convert = 1;  // as if the service's word libraries were installed
    ime_sentence_timeout_ms = 300;
    ime_sentence_service_forget_failures();
    ime_log_func = [](const char*) {};
  }
  void TearDown() override {
    ime_full_convert = 0;
    ime_sentence_timeout_ms = QCP_DEFAULT_TIMEOUT_MS;
    ime_sentence_service_forget_failures();
    MatcherTest::TearDown();
  }
#if defined(KEP_SENTENCE_PROGRAM) && defined(KEP_STAGED_ROOT)
  // The staged service program with its own word libraries, serving the test's runtime folder;
  // fails the test and gives nullptr when it does not serve. Its first requests open the
  // libraries, so the time-out is raised.
  std::unique_ptr<platform::testing_support::ServiceProgram> start_staged_service() {
    auto service = [] {
      engine_test::ScopedEnv root("KEP_ROOT", KEP_STAGED_ROOT);
      return std::make_unique<platform::testing_support::ServiceProgram>(KEP_SENTENCE_PROGRAM,
                                                                           "KEPCPServerPort");
    }();
    if (!service->started() || !service->wait_until_serving()) {
      ADD_FAILURE() << "the staged sentence service does not serve";
      return nullptr;
    }
    ime_sentence_timeout_ms = 5000;
    return service;
  }
#endif

  platform::testing_support::PrivateRuntimeDir runtime_;
};

}  // namespace matcher_test
