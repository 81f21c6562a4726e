// Types the development set into the engine on the generated data of the staged root, each
// phrase as one burst of letters and Space (so nothing is learned), and scores what Space
// commits. Run from a release build:
//   build-rel/bin/devset_score [--misses] [devset.tsv]
// --misses lists the phrases converted wrongly on standard error.
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "devset.h"
#include "session/engine_host.h"
#include "session/typing_session.h"

namespace {

std::string type_phrase(kep_session::TypingSession& session, const devset::Phrase& phrase) {
  session.cancel();
  for (char letter : phrase.letters()) session.type({kep_session::KeyKind::Character, letter});
  std::string committed;
  for (const std::string& text : session.type({kep_session::KeyKind::Space, 0}).commits) committed += text;
  session.cancel();
  return committed;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<devset::Request> request = devset::read_request(argc, argv, "devset_score");
  // A scratch data folder: the user's counters and learned phrases neither help nor change.
  devset::ScratchFolder home;
  if (!request || home.path().empty()) return 1;
  ::setenv("HOME", home.path().c_str(), 1);
  std::string error;
  if (!kep_session::start_engine_host(&error)) {
    std::fprintf(stderr, "devset_score: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    auto session = kep_session::TypingSession::open(false);
    if (!session) {
      status = 1;
    } else {
      auto convert = [&](const devset::Phrase& phrase) { return type_phrase(*session, phrase); };
      devset::print_score("engine", devset::score_devset(request->phrases, convert, request->misses));
    }
  }
  kep_session::stop_engine_host();
  return status;
}
