// What the candidate window program shows, read back from the state file its candidate window
// writes, so that kep-type can repeat the labels on the terminal while that program runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kep_type {

struct WindowPage {
  bool visible = false;
  std::vector<std::string> labels;
  int page = 0;
  int total = 0;
  std::uint64_t sequence = 0;
  std::filesystem::path picture;  // where the window's picture is written
};

// <render folder>/windows/IMKKEPCandidateWindow/candidate.state
std::filesystem::path candidate_state_path(const std::filesystem::path& render_folder);

// The page in the state file under `render_folder`; nullopt while no state is written or the
// file does not hold a window state.
std::optional<WindowPage> read_window_page(const std::filesystem::path& render_folder);

// "1.你好 2.你 (1/3)  [picture path]", or "(no candidates)  [picture path]" while hidden.
std::string window_page_line(const WindowPage& page);

}  // namespace kep_type
