// The sentence service program's shell: start-up of the engine and the port, the power-off
// save, and the release at exit.
#pragma once

#include <filesystem>

#include "platform/runloop.h"

inline constexpr const char* kSentenceBundleIdentifier = "com.corvana.sentenceparser.imkkep";
// The folder of the word libraries, an absolute system path under the root prefix.
inline constexpr const char* kSentenceDataPath = "/Library/TAV/";

// The resources of the running bundle: Contents/Resources beside the Contents/MacOS that holds
// the executable; failing that, those of the bundle with the service's identifier under the root
// prefix; failing that, where the installed bundle keeps them.
std::filesystem::path sentence_resources_folder();

class SentenceParserController {
 public:
  explicit SentenceParserController(platform::RunLoop& loop) : loop_(loop) {}

  // Start-up: the settings, the resource lookup, the port, then the engine data. The port is
  // taken first, so a second copy leaves the data folder alone. False when the program must end.
  bool awakeFromNib();
  // Power-off: nothing more is answered, the learned words are saved and the loop stops.
  void systemShutdown();

 private:
  platform::RunLoop& loop_;
};

// Exit: closes the port and releases the engine data and the file pool. Does nothing unless
// awakeFromNib loaded the data; runs once.
void QCPFinalize();
