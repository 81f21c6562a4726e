#include "IMKKEP/controller/KEPActiveInputArea.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "CoreSource/base/config.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/split/py_splitter.h"
#include "CoreSource/tables/suggestion.h"
#include "CoreSource/text/candidate_text.h"
#include "IMKKEP/controller/KEPInputController.h"
#include "IMKKEP/base/server_log.h"
#include "platform/text.h"

namespace imkkep {
namespace {

using platform::imk::MarkedTextStyle;
using platform::imk::Range;

// Nothing to look like: the marked text goes away.
constexpr MarkedTextStyle kNoMarkedText{platform::imk::Underline::None};

// The engine only ever hands out whole characters, but a text cut inside a character would
// make the client drop or garble it, so nothing that is not UTF-8 leaves the server.
bool refuse_unless_utf8(std::string_view text, const char* what) {
  if (platform::text::is_valid_utf8(text)) return false;
  KEPLogAlways("Refused %s that is not UTF-8 (%zu bytes).", what, text.size());
  return true;
}

// The typed keys of a suggested split are remembered when the user took the suggestion and
// forgotten when he did not, so the next time the same keys come the same way.
void remember_suggestion(const ime_conversation_t* conversation) {
  if (selectedSuggestions == nullptr) return;
  const std::string keys(conversation->inbuf,
                         std::min<std::size_t>(conversation->inoff, IME_MAX_KEYS));
  if (suggestted_mode > 0 && suggestted_mode % 2 == 1) {
    selectedSuggestions->insert(keys);
  } else {
    selectedSuggestions->erase(keys);
  }
}

const char* suggestion_tip() { return suggestted_mode % 2 != 0 ? "\u00B2" : "\u00B9"; }

}  // namespace

int KEPUpdateActiveInputArea(KEPInputController* controller, int fix) {
  ime_conversation_t* conversation = controller->conversation();
  platform::imk::Client& client = controller->client();
  const std::uint64_t not_found = client.not_found();

  int caret = fix == kCommitLetters ? IME_MARKED_NO_SEPARATORS : 0;
  // Once the last key is taken back the engine still holds the syllables it was split into;
  // with nothing typed there is nothing to show.
  std::optional<std::string> text;
  if (fix != kShowMarkedText || conversation->inoff > 0) {
    text = ime_marked_buffer2(conversation, &caret);
  }
  if (text) {
    KEPLog("Marked buffer:[%s] (%d)", text->c_str(), caret);
    if (ime_mode == 0 && has_suggestted != 0) {
      if (fix != kShowMarkedText) {
        remember_suggestion(conversation);
      } else if (ime_config_get_bool("CloseSuggestionTip", 1) == 0) {
        *text += suggestion_tip();
      }
    }
  }
  const std::string shown = text.value_or(std::string());
  KEPLog("The pylen=%zu. fix=%d", shown.size(), fix);

  if (fix == kShowMarkedText) {
    if (shown.empty()) {
      client.set_marked_text("", Range{not_found, 0}, Range{not_found, 0}, kNoMarkedText);
      return 0;
    }
    if (refuse_unless_utf8(shown, "marked text")) return 0;
    const Range selection{static_cast<std::uint64_t>(caret), 0};
    // The whole composition is converted text to the client.
    const MarkedTextStyle style =
        platform::imk::mark_for_style(platform::imk::kHiliteConvertedText);
    if (controller->specialApp != 0) {
      client.set_marked_text(shown, selection, Range{not_found, 0}, style);
    } else {
      KEPLog("Set marked text:%s, %d,%d", shown.c_str(), caret, 0);
      client.set_marked_text(shown, selection, Range{not_found, not_found}, style);
      KEPLog("Done...");
    }
    return 0;
  }
  if (!shown.empty()) {
    KEPLog("Now input the text.:%s", shown.c_str());
    KEPSendStringToClient(controller, shown);
  }
  return 0;
}

int KEPSendStringToClient(KEPInputController* controller, std::string_view text) {
  if (controller == nullptr) return -1;
  if (refuse_unless_utf8(text, "text")) return -1;
  platform::imk::Client& client = controller->client();
  client.insert_text(text, Range{client.not_found(), 0});
  return 0;
}

}  // namespace imkkep
