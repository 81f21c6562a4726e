// The converter program's shell: creates the converter and starts the service at start-up.
#pragma once

#include <filesystem>

#include "platform/runloop.h"

class QCCController {
 public:
  QCCController(std::filesystem::path resources, platform::RunLoop& loop)
      : resources_(std::move(resources)), loop_(loop) {}

  // Start-up: false when the program must terminate (the tables or the port failed).
  bool awakeFromNib();

 private:
  std::filesystem::path resources_;
  platform::RunLoop& loop_;
};
