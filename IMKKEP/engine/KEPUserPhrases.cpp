#include "IMKKEP/engine/KEPUserPhrases.h"

#include <cstdint>
#include <string>

#include "CoreSource/match/imeconvs1.h"
#include "CoreSource/record/conversation.h"
#include "CoreSource/record/qrdb.h"
#include "CoreSource/user/imeuser2.h"
#include "IMKKEP/engine/KEPConvertEngine.h"
#include "IMKKEP/base/server_log.h"
#include "IMKKEP/base/server_state.h"

namespace imkkep {
namespace {

// Whether a conversation holds anything that points into the user phrase database: an entry
// of its result lists, a candidate of its page or a chosen segment.
bool refers_to_user_phrases(ime_conversation_t* c) {
  for (int list : {IME_LIST_HANZI, IME_LIST_LATER_HANZI, IME_LIST_PHRASES, IME_LIST_FIRST_CHOICE,
                   IME_LIST_LATER_PHRASES, IME_LIST_CANDIDATES, IME_LIST_SPARE}) {
    const int count = ime_qrdb_count(c, list);
    for (int i = 0; i < count; ++i) {
      ime_qrdb_entry_t* entry = nullptr;
      if (ime_qrdb_get_lazy(c, list, i, &entry) == 0 && entry != nullptr &&
          entry->type == IME_RESULT_USER_WORD) {
        return true;
      }
    }
  }
  for (int i = 0; i < c->ncand && i < IME_MAX_PAGE_CANDIDATES; ++i) {
    if (c->cands[i].type == IME_RESULT_USER_WORD) return true;
  }
  for (int i = 0; i < c->nseg && i < IME_MAX_SEGMENTS; ++i) {
    if (c->segs[i].type == IME_RESULT_USER_WORD) return true;
  }
  return false;
}

}  // namespace

void KEPEndCompositionsWithUserPhrases() {
  for (auto& [key, handle] : kConvsTable) {
    if (handle.convs != nullptr && refers_to_user_phrases(handle.convs)) {
      KEPLog("Conversation 0x%08lx holds user phrases; its composition ends.",
             static_cast<unsigned long>(key));
      ime_convs_reset(handle.convs);
    }
  }
}

int KEPReloadUserPhrases() {
  KEPEndCompositionsWithUserPhrases();
  ime_udb_free();
  if (ime_udb_open() != 0) {
    KEPLogAlways("ime_udb_open() failed!");
    return -1;
  }
  kUDBNeedsReload = 0;
  return 0;
}

bool KEPSaveUserPhrases() {
  if (!ime_udb_read_only_reason().empty()) {
    KEPLogAlways("IMKKEP: UDB save failed: %s", ime_udb_read_only_reason().c_str());
    return false;
  }
  KEPEndCompositionsWithUserPhrases();
  if (ime_udb_close() != 0) {
    KEPLogAlways("IMKKEP: UDB save failed: %s", ime_udb_write_error().c_str());
    return false;
  }
  // Written: reading it back can only fail to offer phrases, which the file now holds.
  if (ime_udb_open() != 0) KEPLogAlways("ime_udb_open() failed!");
  return true;
}

}  // namespace imkkep
