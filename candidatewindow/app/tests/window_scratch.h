// A scratch runtime and render folder for tests of the program's windows: KEP_RUNTIME_DIR and
// KEP_RENDER_DIR point into a fresh folder, KEP_SCREENS is set (or unset) as given, and the
// server's process id starts at `server_pid`; everything is undone at the end.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "candidatewindow/protocol/send_to_im.h"

namespace candidate_test {

class WindowScratch {
 public:
  WindowScratch(std::optional<std::string> screens, std::int32_t server_pid) {
    char folder[] = "/tmp/kep-window-test.XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no scratch folder");
    work_ = folder;
    std::filesystem::create_directories(work_ / "run");
    std::filesystem::permissions(work_ / "run", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("KEP_RUNTIME_DIR", (work_ / "run").c_str(), 1);
    setenv("KEP_RENDER_DIR", (work_ / "render").c_str(), 1);
    if (screens) {
      setenv("KEP_SCREENS", screens->c_str(), 1);
    } else {
      unsetenv("KEP_SCREENS");
    }
    kepcandidate::setServerProcessId(server_pid);
  }
  ~WindowScratch() {
    unsetenv("KEP_SCREENS");
    unsetenv("KEP_RENDER_DIR");
    kepcandidate::setServerProcessId(0);
    std::error_code ignored;
    std::filesystem::remove_all(work_, ignored);
  }
  WindowScratch(const WindowScratch&) = delete;
  WindowScratch& operator=(const WindowScratch&) = delete;

  const std::filesystem::path& path() const { return work_; }

 private:
  std::filesystem::path work_;
};

}  // namespace candidate_test
