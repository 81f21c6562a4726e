// The key-road fixture for the input modes: the engine-wide scheme and the silent mode a test
// chooses do not outlive it.
#pragma once

#include "CoreSource/record/engine_globals.h"
#include "keyroad_fixture.h"

namespace keyroad_test {

class ModesTest : public KeyRoadTest {
 protected:
  void TearDown() override {
    ime_mode = saved_scheme_;
    imkkep::silent_mode = 0;
    KeyRoadTest::TearDown();
  }

 private:
  int saved_scheme_ = ime_mode;
};

}  // namespace keyroad_test
