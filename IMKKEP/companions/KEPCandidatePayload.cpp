// The candidate part of message 106, read from the page the engine cut.
#include <algorithm>
#include <cstring>
#include <string>

#include "CoreSource/base/settings_keys.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/engine_globals.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/split/imesp.h"
#include "CoreSource/text/candidate_text.h"
#include "IMKKEP/companions/KEPMessageReceive.h"

namespace imkkep {

namespace {

constexpr char kCandidateSeparator = '\x01';
// Leads the candidate string when nothing is marked, so the window never takes the list for a
// composition.
constexpr const char* kNoMarkedTextLead = "?";
constexpr int kDoublePinyinScheme = 1;
constexpr std::uint32_t kDoublePinyinHiddenModes = IME_MODE_I | IME_MODE_U | IME_MODE_V;
constexpr const char* kHiddenDoublePinyinKeys = "-";

bool server_setting(const char* key) {
  return ime_setting_bool(key, ImeSettingReader::Server) != 0;
}

std::string page_candidates(const ime_conversation_t* convs, std::string candidates) {
  int shown = std::min<int>({convs->ncand, IME_MAX_PAGE_CANDIDATES, ime_page_size});
  for (int i = 0; i < shown; ++i) {
    const ime_query_result_t& cand = convs->cands[i];
    if (!candidates.empty()) candidates += kCandidateSeparator;
    candidates += ime_candidate_text(convs, cand);
    candidates += ime_candidate_code_hint(convs, cand);
  }
  return candidates;
}

int candidate_list_size(const ime_conversation_t* convs) {
  // Counting only reads the list; the list API takes no const record.
  int count = ime_qrdb_count(const_cast<ime_conversation_t*>(convs), IME_LIST_CANDIDATES);
  return std::max(count, 0);
}

std::string double_pinyin_display(const ime_conversation_t* convs) {
  if ((convs->mode & kDoublePinyinHiddenModes) != 0 || server_setting("HideDPDisplay")) {
    return kHiddenDoublePinyinKeys;
  }
  return std::string(ime_sp_buffer, strnlen(ime_sp_buffer, sizeof ime_sp_buffer));
}

}  // namespace

void CandidateBuffer(const ime_conversation_t* convs, platform::plist::Dictionary& payload) {
  if (convs == nullptr) return;
  int caret = 0;
  std::optional<std::string> marked = ime_marked_buffer2(convs, &caret);
  std::string lead;
  if (marked && !marked->empty()) {
    payload.set("PY", *marked);
  } else {
    caret = 0;
    lead = kNoMarkedTextLead;
  }
  payload.set("CARET", caret);
  payload.set("CANDIDATES", page_candidates(convs, std::move(lead)));
  int tone = convs->pyoff < IME_MAX_SYLLABLES ? convs->tones[convs->pyoff] : 0;
  payload.set("TONE", tone);
  payload.set("SHOW_PAGE", server_setting("ShowPage"));
  payload.set("PAGE", convs->page + 1);
  payload.set("TOTAL_PAGE", ime_page_count(candidate_list_size(convs), ime_page_size));
  bool traditional = (convs->mode & IME_MODE_TRADITIONAL) != 0;
  payload.set("TRADITIONAL", traditional && !server_setting("HideTraditionalTip"));
  if (ime_mode == kDoublePinyinScheme) payload.set("SP", double_pinyin_display(convs));
}

}  // namespace imkkep
