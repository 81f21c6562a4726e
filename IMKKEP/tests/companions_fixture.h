// The server's tests start no companion programs: every launch the server asks for is
// recorded here instead (tests/companions_recorder.cpp installs the recorder for the whole
// test program). A test that needs real programs copies the stub companion under their names.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "IMKKEP/companions/KEPCompanions.h"

namespace companions_test {

struct Launch {
  std::filesystem::path program;
  bool to_front = false;
};

// The launches recorded since the last clear(), in order.
std::vector<Launch>& launches();
// The recorded programs' names (the file name of each program path), in order.
std::vector<std::string> launched_names();
// Forgets the recorded launches and installs the recorder again.
void clear();

}  // namespace companions_test
