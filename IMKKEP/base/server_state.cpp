#include "IMKKEP/base/server_state.h"

namespace imkkep {

KEPConvertEngine* kConvertEngine = nullptr;
std::mutex _handleLocker;
int _log_flag = 0;
std::map<std::uintptr_t, ConversationHandle> kConvsTable;
std::map<std::string, AppInputState> kAppState;
std::map<std::string, std::string> kMatchingCode;
int kUnprocessedKeys[kUnprocessedKeyCount] = {};
int dict_needs_update = 1;
std::uint8_t kUpdateFlag = 1;
int pageup_mask = 7;
int pagedown_mask = 7;
int switch_mode = 0xffff;
int silent_mode = 0;
int inputCount = 0;
KEPInputController* gActiveSession = nullptr;
std::string kCurrentProcessName;
std::int32_t gActiveArch = 0x1000007;

void KEPResetServerState() {
  for (int& entry : kUnprocessedKeys) entry = 0;
  // F1-F15, Help, Home and End.
  for (int code : {96, 97, 98, 99, 100, 101, 103, 105, 107, 109, 111, 113, 114, 115, 118, 119,
                   120, 122}) {
    kUnprocessedKeys[code] = 1;
  }
  kConvsTable.clear();
  kAppState.clear();
  kMatchingCode = {{"》", "《"}, {"】", "【"}, {"」", "「"}, {"』", "『"},
                   {"）", "（"}, {"”", "“"},  {"’", "‘"},  {"〉", "〈"}};
  dict_needs_update = 1;
  kUpdateFlag = 1;
  pageup_mask = 7;
  pagedown_mask = 7;
  inputCount = 0;
  gActiveSession = nullptr;
  kCurrentProcessName.clear();
  gActiveArch = 0x1000007;
}

}  // namespace imkkep
