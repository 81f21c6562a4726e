// Collects the skin log's lines while in scope.
#pragma once

#include <string>
#include <vector>

#include "candidatewindow/skin/skin_log.h"

namespace kepskin::fixture {

class LogCapture {
 public:
  LogCapture() {
    previous_ = set_log_sink([this](const std::string& line) { lines.push_back(line); });
  }
  ~LogCapture() { set_log_sink(previous_); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> lines;

 private:
  LogSink previous_;
};

}  // namespace kepskin::fixture
