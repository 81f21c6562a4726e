// The lines "kep-engine keys" prints for one key.
#pragma once

#include <string>

#include "key_script.h"
#include "typing_session.h"

namespace kep_session {

// "key: <name>", a "commit: <text>" line per commit, "pass: <name>" for a key left to the
// application, "marked: <text>" and "page: 1.<cand> 2.<cand> ... (<page>/<pages>)" ("page:"
// alone when no page is shown). Each line ends with a line feed.
std::string outcome_lines(const Key& key, const KeyOutcome& outcome);

// The page line's text after "page:".
std::string page_text(const KeyOutcome& outcome);

}  // namespace kep_session
