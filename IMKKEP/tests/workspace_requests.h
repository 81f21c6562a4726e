// What the server asked of the desktop's workspace, for tests to compare.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace server_test {

// The recorded requests, oldest first, each without its time and program: the verb and its
// arguments.
inline std::vector<std::vector<std::string>> workspace_requests() {
  std::error_code error;
  std::vector<std::vector<std::string>> recorded;
  for (const auto& line : platform::workspace::read_log(error)) {
    recorded.emplace_back(line.begin() + std::min<std::size_t>(2, line.size()), line.end());
  }
  EXPECT_FALSE(error) << error.message();
  return recorded;
}

}  // namespace server_test
