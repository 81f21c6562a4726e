#include "outcome_text.h"

namespace kep_session {

std::string page_text(const KeyOutcome& outcome) {
  std::string text;
  for (std::size_t i = 0; i < outcome.candidates.size(); ++i) {
    text += ' ';
    text += std::to_string(i + 1);
    text += '.';
    text += outcome.candidates[i];
  }
  if (!outcome.candidates.empty()) {
    text += " (" + std::to_string(outcome.page) + "/" + std::to_string(outcome.pages) + ")";
  }
  return text;
}

std::string outcome_lines(const Key& key, const KeyOutcome& outcome) {
  std::string lines = "key: " + key_name(key) + "\n";
  for (const std::string& commit : outcome.commits) lines += "commit: " + commit + "\n";
  if (outcome.passed) lines += "pass: " + *outcome.passed + "\n";
  lines += "marked: " + outcome.marked + "\n";
  lines += "page:" + page_text(outcome) + "\n";
  return lines;
}

}  // namespace kep_session
