// What kep-type shows of the candidate window's messages while no candidate window program
// runs: the candidates of the page, the page numbers, the composition and the modes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kep_type {

struct InputModes {
  bool known = false;  // a status has arrived
  bool english = false;
  bool full_width_punct = false;
  bool full_width_roman = false;
  bool traditional = false;
  bool pinyin = true;
};

class CandidateStrip {
 public:
  // Applies one message of the candidate-window protocol; messages it does not show are
  // ignored, and so is a payload that does not parse.
  void apply(std::int32_t id, std::string_view payload);

  bool visible() const { return visible_; }
  const std::vector<std::string>& candidates() const { return candidates_; }
  int page() const { return page_; }
  int total_pages() const { return total_pages_; }
  const std::string& composition() const { return composition_; }
  const InputModes& modes() const { return modes_; }
  const std::string& notice() const { return notice_; }

 private:
  void apply_candidates(std::string_view payload);
  void apply_status(std::string_view payload);

  bool visible_ = false;
  std::vector<std::string> candidates_;
  int page_ = 0;
  int total_pages_ = 0;
  std::string composition_;
  InputModes modes_;
  std::string notice_;
};

// The candidates of a CANDIDATES string: texts separated by the byte 0x01 (which also leads
// the first one); a leading "?" marks a page without a composition.
std::vector<std::string> split_candidates(std::string_view joined);

}  // namespace kep_type
