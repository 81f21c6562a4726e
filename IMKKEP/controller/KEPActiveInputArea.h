// The server's writers into the client application: the composition shown inline as marked
// text, and finished text inserted.
#pragma once

#include <string_view>

namespace imkkep {

class KEPInputController;

// What KEPUpdateActiveInputArea does with the composition.
inline constexpr int kShowMarkedText = 0;
inline constexpr int kCommitComposed = 1;
// Commits the typed letters without the syllable separators (switching to English).
inline constexpr int kCommitLetters = 16;

// `fix` kShowMarkedText shows the composition as marked text (removing it when there is
// none); any other value commits it. 0.
int KEPUpdateActiveInputArea(KEPInputController* controller, int fix);

// Inserts `text` at the client's selection: 0, or -1 without a controller or when the text is
// not UTF-8 (logged; nothing reaches the client).
int KEPSendStringToClient(KEPInputController* controller, std::string_view text);

}  // namespace imkkep
